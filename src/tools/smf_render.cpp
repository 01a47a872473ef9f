#include "tools/smf_render.h"

#include <cstdio>

#include "base/general.h"
#include "song/format_conversion.h"
#include "song/load_song.h"
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
#include "platform/fluidsynth/fluid_render.h"
#endif

namespace zentory {

namespace {
constexpr const char* kNoSynth = "zentory-smf: render: this build has no embedded synth\n";
#if defined(ZENTORY_HAVE_FLUIDSYNTH)
constexpr bool kHaveSynth = true;
#else
constexpr bool kHaveSynth = false;
#endif
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
  std::string error;
  if (!RenderPlay(*data, kRenderRate, soundFont, pcm, &error)) {
    std::fprintf(stderr, "zentory-smf: render: %s\n", error.c_str());
    return false;
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
  // A build without the synth cannot render anything: a usage error, not a bad file.
  if (!kHaveSynth) {
    std::fputs(kNoSynth, stderr);
    return 2;
  }
  std::vector<std::int16_t> pcm;
  if (!RenderSongFile(in, &pcm)) return 1;
  return WriteWholeFile(out, MakeWaveFile(pcm, kRenderRate)) ? 0 : 1;
}

}  // namespace zentory
