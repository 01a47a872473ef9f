// The first note-on after the play key on a MIDI port that takes one message at a time (an
// external instrument): the play command's data, the player's setup and its first timer, on the
// real clock and timer thread. The target is 500 ms plus 50 ms for each system exclusive message
// the song sends before the start point.
//   PlayStart/new_song_head: the one note of a new song's setup (programs, volumes, bend ranges).
//   PlayStart/expression_from_bar_9: an expression curve every 10 ticks for eight bars with GS
//     resets, played from bar 9.
//   PlayStart/million_events_middle: a million-event song played from its middle.
#if defined(ZENTORY_HAVE_TIMER)

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "edit_songs.h"
#include "platform/timer/timer_service.h"
#include "song/format_conversion.h"
#include "sound/player.h"

namespace {

using namespace zentory;

// One message at a time; notes the clock's time of the first note-on.
class CFirstNoteOutput : public IMidiOutput {
 public:
  explicit CFirstNoteOutput(IClock& clock) : clock_(clock) {}
  int DeviceCount() override { return 1; }
  std::vector<std::string> DeviceNames() override { return {"external"}; }
  std::unique_ptr<IMidiPort> Open(int) override { return std::make_unique<Port>(*this); }
  std::atomic<std::int64_t> firstNoteUs{-1};

 private:
  struct Port : IMidiPort {
    explicit Port(CFirstNoteOutput& o) : owner(o) {}
    bool ShortMessage(std::uint32_t m) override {
      if ((m & 0xF0) == 0x90 && (m >> 16 & 0x7F) != 0 && owner.firstNoteUs.load() < 0) {
        owner.firstNoteUs = owner.clock_.NowUs();
      }
      return true;
    }
    bool SysEx(std::span<const std::uint8_t>) override { return true; }
    bool Reset() override { return true; }
    void SetDueTime(std::int64_t) override {}
    CFirstNoteOutput& owner;
  };
  IClock& clock_;
};

std::unique_ptr<CMidi1Data> SongOf(std::vector<std::unique_ptr<CMidiTrack>> tracks) {
  auto song = std::make_unique<CMidi1Data>();
  song->resolution = 480;
  song->state = song_state::kNoteForm;
  song->SetTracks(std::move(tracks));
  return song;
}

std::unique_ptr<CMidiTrack> Master() {
  auto t = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  t->AppendTimeSignature(4, 2);
  t->AppendTempo(500000);
  t->AppendEndOfTrack(0);
  return t;
}

// Sixteen channel tracks as a new song has them: program, volume, bend range, pan; one note.
std::unique_ptr<CMidi1Data> NewSong(int* sysex) {
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  tracks.push_back(Master());
  for (int c = 0; c < 16; ++c) {
    auto t = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
    t->AppendProgramChange(c, 0);
    for (auto [cc, v] : {std::pair{7, 127}, {101, 0}, {100, 0}, {6, 2}, {10, 64}}) {
      t->AppendControlChange(c, cc, v);
    }
    if (c == 0) t->Events().push_back(MakeNoteEvent(0, 0, 60, 240, 100));
    t->AppendEndOfTrack(0);
    tracks.push_back(std::move(t));
  }
  *sysex = 0;
  return SongOf(std::move(tracks));
}

std::unique_ptr<CMidi1Data> ExpressionCurve(int* sysex) {
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  tracks.push_back(Master());
  auto t = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  const std::vector<std::uint8_t> gsReset = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12,
                                             0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  *sysex = 0;
  for (int bar = 0; bar < 2; ++bar) {
    CMusicEvent e;
    e.status = ev::kSysEx;
    e.SetData(gsReset);
    e.delta = bar == 0 ? 0 : 1920;
    t->Events().push_back(e);
    ++*sysex;
  }
  t->AppendProgramChange(0, 0);
  for (int tick = 0; tick < 8 * 1920; tick += 10) {
    t->AppendControlChange(0, 11, (tick / 10) % 128);
    t->Events().back().delta = tick == 0 ? 0 : 10;
  }
  t->Events().push_back(MakeNoteEvent(10, 0, 60, 480, 100));
  t->AppendEndOfTrack(0);
  tracks.push_back(std::move(t));
  return SongOf(std::move(tracks));
}

void PlayStart(benchmark::State& state, std::unique_ptr<CMidi1Data> song, std::int64_t from,
               int sysexBefore) {
  std::vector<double> ms;
  for (auto _ : state) {
    CSteadyClock clock;
    CThreadTimerService timers;
    CFirstNoteOutput output(clock);
    CPlayer::Ports ports;
    ports.midi = &output;
    ports.clock = &clock;
    ports.timers = &timers;
    CPlayer player(ports);
    const std::int64_t keyUs = clock.NowUs();
    std::unique_ptr<CMidi0Data> data = MakePlayerData(*song, from, song->SongLength() + 1);
    player.StartPlay(
        *data, [] {}, {}, true);
    while (output.firstNoteUs.load() < 0)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    ms.push_back(static_cast<double>(output.firstNoteUs.load() - keyUs) / 1000.0);
    player.StopPlay();
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["max_ms"] = ms.back();
  state.counters["limit_ms"] = 500.0 + 50.0 * sysexBefore;
}

void NewSongHead(benchmark::State& state) {
  int sysex = 0;
  auto song = NewSong(&sysex);
  PlayStart(state, std::move(song), 0, sysex);
}
BENCHMARK(NewSongHead)
    ->Name("PlayStart/new_song_head")
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

void ExpressionFromBar9(benchmark::State& state) {
  int sysex = 0;
  auto song = ExpressionCurve(&sysex);
  PlayStart(state, std::move(song), 8 * 1920, sysex);
}
BENCHMARK(ExpressionFromBar9)
    ->Name("PlayStart/expression_from_bar_9")
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

void MillionEventsMiddle(benchmark::State& state) {
  ChannelTable channels;
  auto song = bench_songs::MakeSong(1000000, channels);
  const std::int64_t middle = song->SongLength() / 2;
  PlayStart(state, std::move(song), middle, 0);
}
BENCHMARK(MillionEventsMiddle)
    ->Name("PlayStart/million_events_middle")
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

#endif
