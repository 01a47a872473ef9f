// What keeping the user's work safe costs. BM_UndoStepBytes: the bytes of track data the undo
// history keeps per step (counters bytes_per_step, steps_kept, held_mb) after 200 Return presses
// on a song of the argument's events, the edits in one track or spread over every channel track.
// BM_ReturnWithRecoveryWriter: note entry on that song with the recovery writer on, writing on
// its own thread (second argument 1; 0: the writer off, for comparison); every key is timed from
// key-down to handled (p50_ms, p99_ms, and p99_cpu_ms in the thread's own CPU time, which a busy
// machine disturbs less), and the hand-over of each due write on the UI thread apart
// (handover_p50_ms, handover_max_ms); writes counts the hand-overs. Third argument: how the clock
// runs (below).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/recovery_files.h"
#include "app/script_front_end.h"
#include "edit_songs.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Percentile(std::vector<double> values, int percent) {
  std::sort(values.begin(), values.end());
  return values[values.size() * static_cast<std::size_t>(percent) / 100];
}

void Press(test_support::DialogHarness& h, std::string_view names) {
  h.Keys(names);
  if (h.speech.spoken.size() > 64) h.speech.spoken.clear();
  h.midi.Clear();
}

// range(0): events; range(1): channel tracks the song has; range(2): 1 = spread the edits.
void BM_UndoStepBytes(benchmark::State& state) {
  for (auto _ : state) {
    test_support::DialogHarness h;
    h.Start();
    ChannelTable channels{};
    const int channelTracks = static_cast<int>(state.range(1));
    h.Session().SetSong(bench_songs::MakeSong(state.range(0), channels, channelTracks), channels);
    const bool spread = state.range(2) == 1;
    for (int i = 0; i < 200; ++i) {
      const int track = spread ? i % channelTracks + 1 : 1;
      h.dialog->Position().track = track;
      Press(h, "C Return");
    }
    const CUndoHistory& history = h.Session().History();
    const double held = static_cast<double>(history.HeldBytes(*h.dialog->Song()));
    state.counters["steps_kept"] = static_cast<double>(history.BackSteps());
    state.counters["bytes_per_step"] = held / static_cast<double>(history.BackSteps());
    state.counters["held_mb"] = held / (1 << 20);
  }
}
BENCHMARK(BM_UndoStepBytes)
    ->Args({1000000, 16, 0})
    ->Args({1000000, 16, 1})
    ->Args({1000000, 1, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_ReturnWithRecoveryWriter(benchmark::State& state) {
  test_support::DialogHarness h;
  Platform p = h.MakePlatform();
  // range(1): 1 = the recovery writer on, 0 = off (the same keys without it, for comparison).
  const bool writer = state.range(1) == 1;
  // range(2): 0 = the clock runs 100 ms per key, so a write falls due every tenth key and the
  // writer is busy all the time; 1 = the clock follows the wall clock, so the writer writes once
  // a second, as it does for a user, while the keys come as fast as the machine takes them.
  const bool paced = state.range(2) == 1;
  const int keyCount = paced ? 10000 : 2000;
  auto wallStart = std::chrono::steady_clock::now();
  std::int64_t virtualMs = 0;
  p.processId = writer ? 1 : 0;
  p.backgroundRecovery = true;
  h.dialog = std::make_unique<CMainDialog>(p);
  h.dialog->Start();
  ChannelTable channels{};
  h.Session().SetSong(bench_songs::MakeSong(state.range(0), channels), channels);
  Press(h, "Ctrl+F3");
  const std::int64_t middle = h.dialog->Position().endTick / 2 / 1920 * 1920;
  const std::vector<std::string> cycle = {"C",      "E",    "G",    "Return", "D",
                                          "Return", "Left", "Left", "Delete", "Return"};
  std::vector<ScriptKey> keys;
  for (const auto& name : cycle) keys.push_back(*ParseKeyName(name));
  std::vector<double> ms, cpu, handover;
  std::size_t writes = 0;
  for (auto _ : state) {
    for (int i = 0; i < keyCount; ++i) {
      const std::size_t at = static_cast<std::size_t>(i) % keys.size();
      if (at == 0) h.dialog->Position().tick = middle;
      const ScriptKey& k = keys[at];
      const double cpuStart = ThreadCpuMs();
      auto start = std::chrono::steady_clock::now();
      h.keys.KeyDown(k.key, k.ctrl, k.shift, k.alt);
      auto end = std::chrono::steady_clock::now();
      cpu.push_back(ThreadCpuMs() - cpuStart);
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
      if (paced) {
        const auto wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - wallStart)
                                .count();
        h.clock.Advance(std::max<std::int64_t>(wallMs - virtualMs, 0));
        virtualMs = std::max<std::int64_t>(wallMs, virtualMs);
      } else {
        h.clock.Advance(100);
      }
      start = std::chrono::steady_clock::now();
      std::size_t due = 0;
      h.post.Drain([&](int m) {
        due += m == kMsgRecoveryDue;
        h.dialog->OnPosted(m);
      });
      end = std::chrono::steady_clock::now();
      if (due) {
        handover.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        writes += due;
      }
      if (h.speech.spoken.size() > 64) h.speech.spoken.clear();
      if (i % 64 == 0) h.midi.Clear();
    }
  }
  state.counters["p50_ms"] = Percentile(ms, 50);
  state.counters["p99_ms"] = Percentile(ms, 99);
  state.counters["p99_cpu_ms"] = Percentile(cpu, 99);
  state.counters["handover_p50_ms"] = handover.empty() ? 0.0 : Percentile(handover, 50);
  state.counters["handover_max_ms"] =
      handover.empty() ? 0.0 : *std::max_element(handover.begin(), handover.end());
  state.counters["writes"] = static_cast<double>(writes);
  // The file as the writer has it by now (none yet when its thread has not been given a turn).
  const std::vector<std::string> files = ListRecoveryFiles(h.temp.Str());
  if (writer && !files.empty()) {
    state.counters["file_mb"] =
        static_cast<double>(std::filesystem::file_size(files.front())) / (1 << 20);
  }
}
BENCHMARK(BM_ReturnWithRecoveryWriter)
    ->Args({1000000, 0, 0})
    ->Args({1000000, 1, 0})
    ->Args({1000000, 0, 1})
    ->Args({1000000, 1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zentory
