// Load and save of a generated format-1 file: 17 tracks (a master track and 16 channel tracks of
// notes and controllers), division 960, the argument being the total number of events.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "song/load_song.h"
#include "song/smf_parse.h"
#include "song/smf_writer.h"

namespace {

std::vector<std::uint8_t> GeneratedFile(std::int64_t events) {
  using zentory::smf::AppendBe16;
  using zentory::smf::AppendBe32;
  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
  AppendBe16(file, 17);
  AppendBe16(file, 960);
  auto chunk = [&file](const std::vector<std::uint8_t>& body) {
    zentory::smf::AppendBytes(file, {'M', 'T', 'r', 'k'});
    AppendBe32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
  };
  std::vector<std::uint8_t> master = {0x00, 0xFF, 0x58, 0x04, 4,    2,    24,  8,
                                      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
  zentory::smf::AppendBytes(master, {0x00, 0xFF, 0x2F, 0x00});
  chunk(master);
  const std::int64_t perTrack = (events - 3) / 16;
  for (int ch = 0; ch < 16; ++ch) {
    std::vector<std::uint8_t> body;
    body.reserve(static_cast<std::size_t>(perTrack) * 4 + 8);
    const auto status = static_cast<std::uint8_t>(ch);
    zentory::smf::AppendBytes(body, {0x00, static_cast<std::uint8_t>(0xC0 | status), 0});
    // Pairs of note-on / note-off, a controller now and then; a 4-event cycle.
    for (std::int64_t i = 1; i + 1 < perTrack; i += 4) {
      const auto key = static_cast<std::uint8_t>(36 + (i / 4) % 48);
      zentory::smf::AppendBytes(body, {0x00, static_cast<std::uint8_t>(0x90 | status), key, 100});
      zentory::smf::AppendBytes(body, {0x00, static_cast<std::uint8_t>(0x90 | status),
                                       static_cast<std::uint8_t>(key + 7), 90});
      zentory::smf::AppendBytes(body, {0x78, static_cast<std::uint8_t>(0x80 | status), key, 0x40});
      zentory::smf::AppendBytes(body, {0x00, static_cast<std::uint8_t>(0x80 | status),
                                       static_cast<std::uint8_t>(key + 7), 0x40});
    }
    zentory::smf::AppendBytes(body, {0x00, 0xFF, 0x2F, 0x00});
    chunk(body);
  }
  return file;
}

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

void BM_LoadSong(benchmark::State& state) {
  const std::string path = TempPath("zentory_bench_load.mid");
  WriteBytes(path, GeneratedFile(state.range(0)));
  for (auto _ : state) {
    zentory::LoadedSong loaded = zentory::LoadSongFile(path);
    benchmark::DoNotOptimize(loaded.song.get());
  }
  std::filesystem::remove(path);
}

void BM_SaveSong(benchmark::State& state) {
  const std::string in = TempPath("zentory_bench_save_in.mid");
  const std::string out = TempPath("zentory_bench_save_out.mid");
  WriteBytes(in, GeneratedFile(state.range(0)));
  zentory::LoadedSong loaded = zentory::LoadSongFile(in);
  for (auto _ : state) {
    benchmark::DoNotOptimize(zentory::SaveSong(*loaded.song, out));
  }
  std::filesystem::remove(in);
  std::filesystem::remove(out);
}

}  // namespace

BENCHMARK(BM_LoadSong)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveSong)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
