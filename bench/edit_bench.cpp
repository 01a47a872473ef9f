// Keys through the main window on a large song: every key is timed from key-down to the
// announcement handed to the voice. The argument is the song's total event count (17 tracks).
// Counters: p50_ms and p99_ms of the single keys (wall time), and p50_cpu_ms and p99_cpu_ms
// (the thread's own CPU time, which a busy shared machine disturbs less).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "app/script_front_end.h"
#include "edit_songs.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

constexpr int kKeysPerRun = 2000;

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Percentile(std::vector<double>& values, int percent) {
  std::sort(values.begin(), values.end());
  return values[values.size() * static_cast<std::size_t>(percent) / 100];
}

std::vector<ScriptKey> ParseKeys(const std::vector<std::string>& names) {
  std::vector<ScriptKey> keys;
  for (const std::string& n : names) keys.push_back(*ParseKeyName(n));
  return keys;
}

// Presses KEYS round and round, kKeysPerRun in all, after SETUP, timing each key alone.
void TimeKeys(benchmark::State& state, const std::vector<std::string>& setup,
              const std::vector<std::string>& cycle) {
  test_support::DialogHarness h;
  h.Start();
  ChannelTable channels{};
  h.Session().SetSong(bench_songs::MakeSong(state.range(0), channels), channels);
  for (const ScriptKey& k : ParseKeys(setup)) h.keys.KeyDown(k.key, k.ctrl, k.shift, k.alt);
  const std::vector<ScriptKey> keys = ParseKeys(cycle);
  // Each round of keys starts in the middle of the song, where every walk is long.
  const std::int64_t middle = h.dialog->Position().endTick / 2 / 1920 * 1920;
  std::vector<double> ms, cpu;
  ms.reserve(kKeysPerRun);
  cpu.reserve(kKeysPerRun);
  for (auto _ : state) {
    for (int i = 0; i < kKeysPerRun; ++i) {
      const std::size_t at = static_cast<std::size_t>(i) % keys.size();
      if (at == 0) {
        h.dialog->Position().tick = middle;
        h.dialog->Position().eventIndex = -1;
      }
      const ScriptKey& k = keys[at];
      const double cpuStart = ThreadCpuMs();
      const auto start = std::chrono::steady_clock::now();
      h.keys.KeyDown(k.key, k.ctrl, k.shift, k.alt);
      const auto end = std::chrono::steady_clock::now();
      cpu.push_back(ThreadCpuMs() - cpuStart);
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
      // The recorded texts and messages would otherwise grow through the run.
      if (h.speech.spoken.size() > 64) h.speech.spoken.clear();
      if (i % 64 == 0) h.midi.Clear();
    }
  }
  state.counters["p50_ms"] = Percentile(ms, 50);
  state.counters["p99_ms"] = Percentile(ms, 99);
  state.counters["p50_cpu_ms"] = Percentile(cpu, 50);
  state.counters["p99_cpu_ms"] = Percentile(cpu, 99);
  state.counters["keys"] = static_cast<double>(ms.size());
}

// Note entry in the middle of a long track: letters and digits, the Return that inserts with its
// undo snapshot, and the moves back over what was entered.
void BM_EntryKeystroke(benchmark::State& state) {
  TimeKeys(state, {"Ctrl+F3"},
           {"C",      "E", "G", "Return", "L", "8",      "D",    "4",      "^",      "8",
            "Return", "C", ",", "5",      "0", "Return", "Left", "Delete", "Ctrl+Z", "Escape"});
}
BENCHMARK(BM_EntryKeystroke)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Every kind of move in the middle of a long track.
void BM_NavigationKeystroke(benchmark::State& state) {
  TimeKeys(state, {"Ctrl+F5"},
           {"Right",
            "Down",
            "Shift+Right",
            "Shift+Down",
            "Ctrl+Right",
            "Ctrl+Down",
            "Ctrl+Down",
            "Ctrl+Shift+Right",
            "Ctrl+Shift+Down",
            "PageDown",
            "Ctrl+Alt+Right",
            "Ctrl+Alt+Down",
            "Ctrl+Up",
            "Ctrl+Left",
            "Shift+Up",
            "Shift+Left",
            "Up",
            "Ctrl+Alt+Left",
            "PageUp",
            "Ctrl+L",
            "End",
            "Home",
            "Left"});
}
BENCHMARK(BM_NavigationKeystroke)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zentory
