// How long the embedded synth goes on sounding after a stop: a play through the real player and
// timer thread into the synth, rendered on the caller's thread at the pace of the steady clock as
// the audio device would, stopped at a chosen time; the result is counted in rendered frames from
// the stop's frame, so a slow machine gives the same answer as a fast one.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/fluidsynth/fluid_synth.h"
#include "platform/timer/timer_service.h"
#include "sound/player.h"

namespace zentory::test_support {

inline constexpr int kStopRate = 44100;
inline constexpr int kStopBlockFrames = 64;
// A note-on every 24 ticks at 120 BPM (125 ms), each held 20 ticks, on a piano.
inline constexpr std::int64_t kStopNoteSpacingUs = 125000;
inline constexpr double kSilence = 0.001;  // -60 dBFS

inline CMidi0Data StopTestSong() {
  CMidi0Data d;
  d.resolution = 96;
  d.state = song_state::kNoteForm;
  d.Track().SetForm(CMidiTrack::kNoteForm);
  for (int i = 0; i < 64; ++i) {
    d.Track().Events().push_back(MakeNoteEvent(i == 0 ? 0 : 24, 0, 60 + i % 12, 20, 100));
  }
  d.Track().AppendEndOfTrack(96);
  return d;
}

// Renders the synth up to the steady clock's present, keeping the loudest sample of every frame
// from FROMFRAME on in *LEVELS.
class PacedSynth {
 public:
  explicit PacedSynth(CFluidSynth& synth)
      : synth_(synth), originUs_(clock_.NowUs()), originFrame_(synth.FramesRendered()) {}
  IClock& Clock() { return clock_; }
  void RunUntilUs(std::int64_t untilUs, std::int64_t fromFrame, std::vector<float>* levels) {
    std::vector<float> block(2 * kStopBlockFrames);
    for (;;) {
      const std::int64_t now = clock_.NowUs();
      const std::int64_t due = originFrame_ + (now - originUs_) * kStopRate / 1000000;
      while (synth_.FramesRendered() + kStopBlockFrames <= due) {
        const std::int64_t first = synth_.FramesRendered();
        synth_.Render(block.data(), kStopBlockFrames);
        for (int i = 0; i < kStopBlockFrames; ++i) {
          if (first + i < fromFrame || !levels) continue;
          levels->push_back(std::max(std::fabs(block[2 * i]), std::fabs(block[2 * i + 1])));
        }
      }
      if (now >= untilUs) return;
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }

 private:
  CFluidSynth& synth_;
  CSteadyClock clock_;
  std::int64_t originUs_;
  std::int64_t originFrame_;
};

struct StopTail {
  std::int64_t framesToSilence = 0;  // from the stop's frame to the last frame above -60 dBFS
  float peakBeforeStop = 0;
};

// Plays the test song, stops it OFFSETUS after the note-on due AFTERNOTES notes in, and renders
// WINDOWMS more. The synth must be started, live (not locked to frames).
inline StopTail MeasureStopTail(CFluidSynth& synth, int afterNotes, std::int64_t offsetUs,
                                int windowMs = 300) {
  PacedSynth paced(synth);
  CThreadTimerService timers;
  CPlayer::Ports ports;
  ports.midi = &synth;
  ports.clock = &paced.Clock();
  ports.timers = &timers;
  CPlayer player(ports);
  const CMidi0Data song = StopTestSong();
  const std::int64_t startUs = paced.Clock().NowUs();
  player.StartPlay(
      song, [] {}, {}, false);
  std::vector<float> before;
  const std::int64_t beforeFrom = synth.FramesRendered();
  paced.RunUntilUs(startUs + afterNotes * kStopNoteSpacingUs + offsetUs, beforeFrom, &before);
  const std::int64_t stopFrame = synth.FramesRendered();
  player.StopPlay();
  std::vector<float> after;
  paced.RunUntilUs(paced.Clock().NowUs() + windowMs * 1000, stopFrame, &after);
  StopTail tail;
  for (float v : before) tail.peakBeforeStop = std::max(tail.peakBeforeStop, v);
  for (std::size_t i = after.size(); i > 0; --i) {
    if (after[i - 1] > kSilence) {
      tail.framesToSilence = static_cast<std::int64_t>(i);
      break;
    }
  }
  return tail;
}

}  // namespace zentory::test_support
