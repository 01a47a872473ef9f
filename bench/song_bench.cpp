// Form conversions, resolution change, window copy, merge and song copy on generated songs:
// notes on 16 channels (overlapping, same-key repeats), controllers, pitch bends and tempo events.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "base/error_report.h"
#include "base/ports/dialogs.h"
#include "song/midi_data.h"
#include "song/midi_track.h"

namespace zentory {
namespace {

// A note-form track of N events, 30% of them notes, so that its raw form (about 1.3 N events)
// stays within the track limit for N = 100,000.
CMidiTrack MakeNoteTrack(std::int64_t n, unsigned seed, std::int32_t channelBase = 0) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> pick(0, 99), delta(0, 120), key(48, 72), len(1, 960),
      ch(0, 15), val(0, 127);
  CMidiTrack t(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  t.Events().reserve(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i + 1 < n; ++i) {
    const int p = pick(rng);
    const int d = pick(rng) < 40 ? 0 : delta(rng);
    if (p < 30) {
      t.Events().push_back(MakeNoteEvent(d, (channelBase + ch(rng)) % 16, key(rng), len(rng), 100));
    } else if (p < 97) {
      CMusicEvent e(d);
      e.status = p < 80 ? ev::kControlChange : ev::kPitchBend;
      e.channel = ch(rng);
      e.type = 7;
      e.value = val(rng);
      const std::uint8_t bytes[] = {0xB0, 7, static_cast<std::uint8_t>(e.value)};
      e.SetData(bytes);
      t.Events().push_back(std::move(e));
    } else {
      t.Events().push_back(MakeTempoEvent(d, 400000 + val(rng) * 1000));
    }
  }
  t.Events().push_back(MakeEndOfTrack(0));
  return t;
}

struct QuietBoxes {
  QuietBoxes() : scope(&sink) {}
  struct Sink : IMessageBox {
    int Show(std::string_view) override { return 1; }
  } sink;
  ScopedMessageBoxTarget scope;
};

// Times OP on a fresh copy of SOURCE each iteration; the copy is made outside the measured time
// into one reused track, so that it does not allocate afresh every time.
template <typename Op>
void TimeOnCopy(benchmark::State& state, const CMidiTrack& source, Op op) {
  CMidiTrack t;
  for (auto _ : state) {
    state.PauseTiming();
    t = source;
    state.ResumeTiming();
    op(t);
    benchmark::DoNotOptimize(t.EventCount());
  }
}

void BM_ToNoteForm(benchmark::State& state) {
  QuietBoxes quiet;
  CMidiTrack raw = MakeNoteTrack(state.range(0), 1);
  raw.ToRawForm();
  TimeOnCopy(state, raw, [](CMidiTrack& t) { t.ToNoteForm(); });
}

void BM_ToRawForm(benchmark::State& state) {
  QuietBoxes quiet;
  const CMidiTrack notes = MakeNoteTrack(state.range(0), 2);
  TimeOnCopy(state, notes, [](CMidiTrack& t) { t.ToRawForm(); });
}

void BM_ChangeResolution(benchmark::State& state) {
  QuietBoxes quiet;
  const CMidiTrack notes = MakeNoteTrack(state.range(0), 3);
  TimeOnCopy(state, notes, [](CMidiTrack& t) { t.ChangeResolution(480, 96, 0); });
}

void BM_CopyWindow(benchmark::State& state) {
  QuietBoxes quiet;
  const CMidiTrack notes = MakeNoteTrack(state.range(0), 4);
  const std::int64_t length = notes.GetLengthTicks();
  for (auto _ : state) {
    CMidiTrack w = CopyWindow(notes, length / 4, length * 3 / 4);
    benchmark::DoNotOptimize(w.EventCount());
    state.PauseTiming();  // the copy is freed outside the measured time
    w = CMidiTrack();
    state.ResumeTiming();
  }
}

void BM_MergeTrack(benchmark::State& state) {
  QuietBoxes quiet;
  const CMidiTrack a = MakeNoteTrack(state.range(0) / 2, 5);
  const CMidiTrack b = MakeNoteTrack(state.range(0) / 2, 6, 3);
  TimeOnCopy(state, a, [&b](CMidiTrack& t) { t.MergeTrack(b, true); });
}

void BM_SongCopy(benchmark::State& state) {
  QuietBoxes quiet;
  std::vector<CMidiTrack> tracks;
  const std::int64_t perTrack = state.range(0) / 17;
  for (unsigned i = 0; i < 17; ++i) tracks.push_back(MakeNoteTrack(perTrack, 10 + i));
  std::vector<const CMidiTrack*> pointers;
  for (const CMidiTrack& t : tracks) pointers.push_back(&t);
  const CMidi1Data song(pointers, 480);
  tracks.clear();
  for (auto _ : state) {
    CMidi1Data copy = song;
    benchmark::DoNotOptimize(copy.TrackCount());
  }
}

BENCHMARK(BM_ToNoteForm)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToRawForm)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangeResolution)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyWindow)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeTrack)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SongCopy)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zentory
