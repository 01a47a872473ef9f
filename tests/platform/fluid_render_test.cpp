// The embedded synth through the whole timing path: a file on a known tempo map is loaded,
// played and rendered in virtual time, and every note onset in the audio is checked against its
// exact time.
#include "platform/fluidsynth/fluid_render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/fluidsynth/fluid_synth.h"
#include "song/format_conversion.h"
#include "song/load_song.h"

namespace zentory {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Vlq(Bytes& b, std::uint32_t v) {
  std::uint8_t tmp[5];
  int n = 0;
  do {
    tmp[n++] = static_cast<std::uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v);
  while (n > 1) b.push_back(static_cast<std::uint8_t>(tmp[--n] | 0x80));
  b.push_back(tmp[0]);
}

struct Onset {
  std::uint32_t tick;
  double seconds;  // exact, from the tempo map
};

// A format-0 file at 480 ticks per quarter: wood-block hits every 240 ticks over three tempos
// (120, 100 and about 140 BPM); ticks are multiples of 5, so the player's 96 grid keeps them.
Bytes MakeSong(std::vector<Onset>* onsets) {
  const std::uint32_t tempos[][2] = {{0, 500000}, {1920, 600000}, {3840, 428571}};
  Bytes t;
  std::uint32_t last = 0;
  auto at = [&](std::uint32_t tick) {
    Vlq(t, tick - last);
    last = tick;
  };
  double seconds = 0;
  std::uint32_t tempoTick = 0, tempo = 500000;
  for (std::uint32_t tick = 0; tick < 5760; tick += 240) {
    for (const auto& tp : tempos) {
      if (tp[0] == tick) {
        seconds += (tick - tempoTick) * tempo / 480.0 / 1e6;
        tempoTick = tick;
        tempo = tp[1];
        at(tick);
        t.insert(t.end(), {0xFF, 0x51, 0x03});
        t.push_back(static_cast<std::uint8_t>(tempo >> 16));
        t.push_back(static_cast<std::uint8_t>(tempo >> 8));
        t.push_back(static_cast<std::uint8_t>(tempo));
      }
    }
    onsets->push_back({tick, seconds + (tick - tempoTick) * tempo / 480.0 / 1e6});
    at(tick);
    t.insert(t.end(), {0x99, 75, 127});
    at(tick + 40);
    t.insert(t.end(), {0x89, 75, 0});
  }
  at(5760);
  t.insert(t.end(), {0xFF, 0x2F, 0x00});
  Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
  const auto n = static_cast<std::uint32_t>(t.size());
  for (int s = 24; s >= 0; s -= 8) file.push_back(static_cast<std::uint8_t>(n >> s));
  file.insert(file.end(), t.begin(), t.end());
  return file;
}

bool HaveSoundFont() {
  CFluidSynth probe;
  return probe.Start(44100);
}

TEST(FluidRender, EveryOnsetLandsWithin2MsOfItsExactTime) {
  if (!HaveSoundFont()) GTEST_SKIP() << "no GM SoundFont installed";
  std::vector<Onset> onsets;
  LoadedSong loaded = LoadSongFromBytes(MakeSong(&onsets));
  ASSERT_TRUE(loaded.song);
  auto data = MakePlayerData(*loaded.song, 0, loaded.song->SongLength() + 1);
  ASSERT_TRUE(data);
  std::vector<std::int16_t> pcm;
  std::string error;
  ASSERT_TRUE(RenderPlay(*data, 44100, {}, &pcm, &error)) << error;

  // Mono magnitude; an onset is the first frame above the threshold after 20 ms below it.
  std::vector<int> mag(pcm.size() / 2);
  int peak = 0;
  for (std::size_t i = 0; i < mag.size(); ++i) {
    mag[i] = std::max(std::abs(pcm[2 * i]), std::abs(pcm[2 * i + 1]));
    peak = std::max(peak, mag[i]);
  }
  ASSERT_GT(peak, 1000) << "the synth rendered silence";
  const int threshold = peak / 8;
  std::vector<double> found;
  std::size_t quiet = 882;  // the song starts in silence
  for (std::size_t i = 0; i < mag.size(); ++i) {
    if (mag[i] > threshold && quiet >= 882) found.push_back(static_cast<double>(i) / 44100.0);
    quiet = mag[i] <= threshold ? quiet + 1 : 0;
  }
  ASSERT_EQ(found.size(), onsets.size());
  for (std::size_t k = 1; k < found.size(); ++k) {
    const double want = onsets[k].seconds - onsets[0].seconds;
    const double got = found[k] - found[0];
    EXPECT_NEAR(got * 1000, want * 1000, 2.0) << "note at tick " << onsets[k].tick;
  }
}

}  // namespace
}  // namespace zentory
