// A stop silences the embedded synth: stops around a note-on (queued ahead of the audio, or just
// sounding) and at random times, each measured in rendered frames from the stop's frame.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/fluidsynth/fluid_render.h"
#include "support/synth_stop_tail.h"

namespace zentory {
namespace {

using test_support::MeasureStopTail;
using test_support::StopTail;

constexpr std::int64_t kFiftyMsFrames = test_support::kStopRate / 20;

TEST(FluidStop, TheSynthFallsBelowMinus60DbfsWithin50MsOfAStop) {
  CFluidSynth synth;
  if (!synth.Start(test_support::kStopRate)) GTEST_SKIP() << synth.Error();
  // Around the note-on due 3 notes in: well before it (queued ahead), just before, at, after.
  std::vector<std::int64_t> offsetsUs = {-40000, -20000, -10000, -3000, 0, 3000, 15000, 60000};
  std::mt19937 random(20);
  std::uniform_int_distribution<std::int64_t> anywhere(0, test_support::kStopNoteSpacingUs);
  for (int i = 0; i < 4; ++i) offsetsUs.push_back(anywhere(random));
  for (std::int64_t offset : offsetsUs) {
    const StopTail tail = MeasureStopTail(synth, 3, offset);
    EXPECT_GT(tail.peakBeforeStop, 0.01f) << "the play made no sound before its stop";
    EXPECT_LE(tail.framesToSilence, kFiftyMsFrames)
        << "stop " << offset << " us from a note-on: sounding "
        << tail.framesToSilence * 1000 / test_support::kStopRate << " ms after it";
  }
}

TEST(FluidStop, APlayThatEndsByItselfRingsOut) {
  CFluidSynth probe;
  if (!probe.Start(test_support::kStopRate)) GTEST_SKIP() << probe.Error();
  // One quarter note at 120 BPM and the end of the track right after it.
  CMidi0Data song;
  song.resolution = 96;
  song.state = song_state::kNoteForm;
  song.Track().SetForm(CMidiTrack::kNoteForm);
  song.Track().Events().push_back(MakeNoteEvent(0, 0, 60, 96, 100));
  song.Track().AppendEndOfTrack(96);
  std::vector<std::int16_t> pcm;
  std::string error;
  ASSERT_TRUE(RenderPlay(song, test_support::kStopRate, {}, &pcm, &error)) << error;
  // 50 to 100 ms after the note's end its release and reverb are still heard.
  int loudest = 0;
  for (std::size_t frame = test_support::kStopRate * 55 / 100;
       frame < test_support::kStopRate * 60 / 100 && 2 * frame + 1 < pcm.size(); ++frame) {
    loudest = std::max({loudest, std::abs(int{pcm[2 * frame]}), std::abs(int{pcm[2 * frame + 1]})});
  }
  EXPECT_GT(loudest, 33) << "the music's end was cut off like a stop";  // above -60 dBFS
}

}  // namespace
}  // namespace zentory
