#include "tools/smf_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/general.h"
#include "platform/fakes/fakes.h"
#include "song/format_conversion.h"
#include "song/load_song.h"
#include "sound/player.h"
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
#include "platform/fluidsynth/fluid_synth.h"
#endif

namespace zentory {

namespace {
constexpr int kBlockFrames = 64;  // FluidSynth's own block
constexpr int kTailSeconds = 2;   // release and reverb after the last event
constexpr const char* kNoSynth = "zentory-smf: render: this build has no embedded synth\n";
}  // namespace

std::vector<std::uint8_t> MakeWaveFile(const std::vector<std::int16_t>& pcm, int rate) {
  std::vector<std::uint8_t> b;
  const auto dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto put16 = [&](std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto tag = [&](const char* text) {
    for (const char* c = text; *c; ++c) b.push_back(static_cast<std::uint8_t>(*c));
  };
  b.reserve(44 + dataBytes);
  tag("RIFF");
  put32(36 + dataBytes);
  tag("WAVEfmt ");
  put32(16);
  put16(1);  // PCM
  put16(2);
  put32(static_cast<std::uint32_t>(rate));
  put32(static_cast<std::uint32_t>(rate) * 4);
  put16(4);
  put16(16);
  tag("data");
  put32(dataBytes);
  for (std::int16_t s : pcm) put16(static_cast<std::uint16_t>(s));
  return b;
}

bool RenderSongFile(const std::string& in, std::vector<std::int16_t>* pcm,
                    const std::string& soundFont) {
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
  LoadedSong loaded = LoadSongFile(in);
  if (!loaded.song) return false;
  auto data = MakePlayerData(*loaded.song, 0, loaded.song->SongLength() + 1);
  if (!data) return false;

  CFluidSynth synth;
  if (!synth.Start(kRenderRate, soundFont)) {
    std::fprintf(stderr, "zentory-smf: render: %s\n", synth.Error().c_str());
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
      *data, [] {}, {}, true);

  std::vector<float> block(2 * kBlockFrames);
  std::int64_t frames = 0;
  std::int64_t tailEnd = -1;
  pcm->clear();
  while (tailEnd < 0 || frames < tailEnd) {
    // Every message due before the end of this block has been sent before it is rendered.
    const std::int64_t endMs = (frames + kBlockFrames) * 1000 / kRenderRate + 1;
    if (endMs > clock.NowMs()) clock.Advance(endMs - clock.NowMs());
    synth.Render(block.data(), kBlockFrames);
    for (float v : block) {
      pcm->push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767)));
    }
    frames += kBlockFrames;
    if (tailEnd < 0 && !player.IsPlaying()) {
      player.WaitIdle(-1);  // its device reset lands in the next block, every run alike
      tailEnd = frames + std::int64_t{kTailSeconds} * kRenderRate;
    }
  }
  return true;
#else
  (void)in;
  (void)pcm;
  (void)soundFont;
  std::fputs(kNoSynth, stderr);
  return false;
#endif
}

int RenderSmf(const std::string& in, const std::string& out) {
  std::vector<std::int16_t> pcm;
  if (!RenderSongFile(in, &pcm)) return 1;
  return WriteWholeFile(out, MakeWaveFile(pcm, kRenderRate)) ? 0 : 1;
}

}  // namespace zentory
