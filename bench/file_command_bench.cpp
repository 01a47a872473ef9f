// Loading and saving through the file dialogs, and pasting a range, driven through the main
// window as keys. Files go to /dev/shm where it exists, so the flush to disk does not count.
// Counters: median_ms of the single commands from key-down to the key handled, announce_ms
// from key-down to the last announcement the command made.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "app/script_front_end.h"
#include "edit_songs.h"
#include "song/smf_writer.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

std::string ScratchFile(const test_support::TempDir& temp, const char* name) {
  std::error_code ec;
  if (std::filesystem::is_directory("/dev/shm", ec)) {
    return (std::filesystem::path("/dev/shm") / (std::string("zentory-bench-") + name)).string();
  }
  return temp.File(name);
}

// Presses KEY once per iteration after PREPARE, reporting the median time of the key alone.
template <typename Prepare>
void TimeCommand(benchmark::State& state, test_support::DialogHarness& h, const char* key,
                 Prepare prepare) {
  const ScriptKey k = *ParseKeyName(key);
  std::vector<double> ms, announced;
  std::chrono::steady_clock::time_point start, spoke;
  h.speech.onSpeak = [&](std::string_view) { spoke = std::chrono::steady_clock::now(); };
  for (auto _ : state) {
    state.PauseTiming();
    prepare();
    state.ResumeTiming();
    start = std::chrono::steady_clock::now();
    h.keys.KeyDown(k.key, k.ctrl, k.shift, k.alt);
    const auto end = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    announced.push_back(std::chrono::duration<double, std::milli>(spoke - start).count());
  }
  h.speech.onSpeak = nullptr;
  std::sort(ms.begin(), ms.end());
  std::sort(announced.begin(), announced.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["announce_ms"] = announced[announced.size() / 2];
}

void BM_LoadThroughDialog(benchmark::State& state) {
  test_support::DialogHarness h;
  h.Start();
  ChannelTable channels{};
  const std::string path = ScratchFile(h.temp, "load.mid");
  auto song = bench_songs::MakeSong(state.range(0), channels);
  if (!SaveSong(*song, path)) {
    state.SkipWithError("cannot write the song");
    return;
  }
  TimeCommand(state, h, "Ctrl+O", [&] { h.dialogs.answers.push_back(path); });
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadThroughDialog)->Arg(1000000)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_SaveThroughDialog(benchmark::State& state) {
  test_support::DialogHarness h;
  h.Start();
  ChannelTable channels{};
  h.Session().SetSong(bench_songs::MakeSong(state.range(0), channels), channels);
  const std::string path = ScratchFile(h.temp, "save.mid");
  TimeCommand(state, h, "Ctrl+S", [&] { h.dialogs.answers.push_back(path); });
  std::filesystem::remove(path);
}
BENCHMARK(BM_SaveThroughDialog)->Arg(1000000)->Iterations(5)->Unit(benchmark::kMillisecond);

// A range of about 10,000 notes pasted into a track of 100,000 events.
void BM_PasteRange(benchmark::State& state) {
  test_support::DialogHarness h;
  h.Start();
  ChannelTable channels{};
  h.Session().SetSong(bench_songs::MakeSong(2 * state.range(0), channels, 1), channels);
  CEditSession& s = h.Session();
  // About a tenth of the track: its notes are 60 ticks apart on average.
  s.Position().tick = 0;
  s.SetRangeStart();
  s.Position().tick = s.Position().endTick / 10;
  s.SetRangeEnd();
  s.CopyRange();
  s.Position().tick = s.Position().endTick / 2;
  TimeCommand(state, h, "Ctrl+V", [&] {
    if (s.HasUndo()) s.Undo();
  });
}
BENCHMARK(BM_PasteRange)->Arg(100000)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zentory
