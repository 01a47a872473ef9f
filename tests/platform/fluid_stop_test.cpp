// A stop silences the embedded synth: stops around a note-on (queued ahead of the audio, or just
// sounding) and at random times, each measured in rendered frames from the stop's frame.
#include <gtest/gtest.h>

#include <random>

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

}  // namespace
}  // namespace zentory
