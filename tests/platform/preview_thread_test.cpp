// The note preview ends its notes on the timer thread while the user-interface thread starts the
// next preview: under ThreadSanitizer this shows any unguarded hand-over, and every note that
// was switched on must be switched off exactly once.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "edit/note_preview.h"
#include "platform/fakes/fakes.h"
#include "platform/timer/timer_service.h"
#include "sound/midi_out_device.h"

namespace zentory {
namespace {

TEST(NotePreviewThreads, EveryNoteEndsOnceWhateverThreadEndsIt) {
  FakeMidiOutput midi;
  CMidiOutDevice device(&midi, -1);
  CThreadTimerService timers;
  CSteadyClock clock;
  {
    CNotePreview preview(&timers);
    preview.SetOutput(&device);
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> pick(0, 9), key(40, 80), ms(0, 2);
    for (int i = 0; i < 1500; ++i) {
      const int p = pick(rng);
      if (p < 6) {
        preview.PreviewNote(key(rng), 100, 0, ms(rng));
      } else if (p < 9) {
        const int keys[] = {key(rng), key(rng), key(rng)};
        preview.PreviewChord(keys, 90, 1);
      } else {
        preview.Stop();
      }
      if (i % 50 == 0) clock.SleepMs(1);
    }
    preview.Stop();
  }
  std::map<std::pair<int, int>, int> sounding;  // (channel, key) -> ons minus offs
  for (const auto& m : midi.Messages()) {
    ASSERT_EQ(m.bytes.size(), 3u);
    const int kind = m.bytes[0] & 0xF0, channel = m.bytes[0] & 0x0F;
    sounding[{channel, m.bytes[1]}] += kind == 0x90 ? 1 : -1;
    ASSERT_GE((sounding[{channel, m.bytes[1]}]), 0) << "a note ended before it began";
  }
  for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << "key " << note.second;
}

}  // namespace
}  // namespace zentory
