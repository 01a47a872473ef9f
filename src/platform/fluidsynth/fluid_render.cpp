#include "platform/fluidsynth/fluid_render.h"

#include <algorithm>
#include <cmath>

#include "platform/fakes/fakes.h"
#include "platform/fluidsynth/fluid_synth.h"
#include "sound/player.h"

namespace zentory {

namespace {
constexpr int kBlockFrames = 64;  // FluidSynth's own block
constexpr int kTailSeconds = 2;   // release and reverb after the last event
}  // namespace

bool RenderPlay(const CMidi0Data& data, int rate, const std::string& soundFont,
                std::vector<std::int16_t>* pcm, std::string* error) {
  CFluidSynth synth;
  if (!synth.Start(rate, soundFont)) {
    if (error) *error = synth.Error();
    return false;
  }
  synth.LockToFrames(true);  // virtual time and rendered frames are one time line
  FakeClock clock;
  CPlayer::Ports ports;
  ports.midi = &synth;
  ports.clock = &clock;
  ports.timers = &clock;
  CPlayer player(ports);
  player.StartPlay(
      data, [] {}, {}, true);

  std::vector<float> block(2 * kBlockFrames);
  std::int64_t frames = 0;
  std::int64_t tailEnd = -1;
  pcm->clear();
  while (tailEnd < 0 || frames < tailEnd) {
    // Every message due before the end of this block has been sent before it is rendered.
    const std::int64_t endMs = (frames + kBlockFrames) * 1000 / rate + 1;
    if (endMs > clock.NowMs()) clock.Advance(endMs - clock.NowMs());
    synth.Render(block.data(), kBlockFrames);
    for (float v : block) {
      pcm->push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767)));
    }
    frames += kBlockFrames;
    if (tailEnd < 0 && !player.IsPlaying()) {
      player.WaitIdle(-1);  // its device reset lands in the next block, every run alike
      tailEnd = frames + std::int64_t{kTailSeconds} * rate;
    }
  }
  return true;
}

}  // namespace zentory
