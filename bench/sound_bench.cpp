// Timing of the sound path.
//   LivePlayback: a generated song with tempo changes (on the 96-per-quarter grid) through a
//     recording port on the real timer thread; every message's arrival against its exact due
//     time. ZENTORY_BENCH_PLAY_SECONDS sets the song's length (default 60; 600 for ten minutes).
//   RenderThreeMinutes: zentory-smf render's path for a 3-minute song, in seconds of audio per
//     second of work.
//   SynthStartup: the embedded synth with the SoundFont it finds (FluidR3_GM when installed).
//   StopToSilence: stops at random points around note-ons, through the real player and timer
//     thread into the embedded synth; the audio from the stop's frame until it stays below
//     -60 dBFS, counted in rendered frames.
//   PreviewLatency: a note-on sent at once to the block of the SDL mix that renders it
//     (SDL_AUDIODRIVER=dummy works); the figure includes the wait for the next audio buffer.
#if defined(ZENTORY_HAVE_FLUIDSYNTH) && defined(ZENTORY_HAVE_TIMER)

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "platform/fluidsynth/fluid_render.h"
#include "platform/fluidsynth/fluid_synth.h"
#include "platform/timer/timer_service.h"
#include "sound/player.h"
#include "support/synth_stop_tail.h"
#if defined(ZENTORY_HAVE_SDL_AUDIO)
#include "platform/sdl_audio/sdl_audio.h"
#endif

namespace {

using namespace zentory;

// Eighth notes on four channels with a tempo change every eight bars (60..180 BPM, odd values so
// no delay is a whole number of milliseconds).
CMidi0Data MakeSong(double seconds) {
  CMidi0Data d;
  d.resolution = 96;
  d.state = song_state::kNoteForm;
  d.Track().SetForm(CMidiTrack::kNoteForm);
  auto& ev = d.Track().Events();
  double elapsed = 0;
  std::int32_t tempo = 500000;
  std::int32_t delta = 0;
  for (int step = 0; elapsed < seconds; ++step) {
    if (step % 64 == 0) {
      tempo = 333333 + (step * 7919) % 666667;
      ev.push_back(MakeTempoEvent(delta, tempo));
      delta = 0;
    }
    for (int ch = 0; ch < 4; ++ch) {
      ev.push_back(MakeNoteEvent(ch == 0 ? delta : 0, ch, 48 + (step * 5 + ch * 7) % 36, 40, 90));
    }
    delta = 48;
    elapsed += 48.0 * tempo / 96 / 1e6;
  }
  d.Track().AppendEndOfTrack(96);
  return d;
}

// Notes the arrival of every message against its due time, on the clock the player uses.
class CRecordingOutput : public IMidiOutput {
 public:
  explicit CRecordingOutput(IClock* clock) : clock_(clock) {}
  int DeviceCount() override { return 1; }
  std::vector<std::string> DeviceNames() override { return {"recorder"}; }
  std::unique_ptr<IMidiPort> Open(int) override { return std::make_unique<Port>(*this); }
  std::vector<double> ErrorsMs() {
    std::lock_guard lock(mutex_);
    return errors_;
  }

 private:
  struct Port : IMidiPort {
    explicit Port(CRecordingOutput& o) : owner(o) {}
    bool ShortMessage(std::uint32_t) override { return Note(); }
    bool SysEx(std::span<const std::uint8_t>) override { return Note(); }
    bool Reset() override { return true; }
    void SetDueTime(std::int64_t dueUs) override { due = dueUs; }
    bool Note() {
      if (due < 0) return true;
      const std::int64_t now = owner.clock_->NowUs();
      std::lock_guard lock(owner.mutex_);
      owner.errors_.push_back(static_cast<double>(now - due) / 1000.0);
      return true;
    }
    CRecordingOutput& owner;
    std::int64_t due = -1;
  };
  IClock* clock_;
  std::mutex mutex_;
  std::vector<double> errors_;
};

void LivePlayback(benchmark::State& state) {
  const char* env = std::getenv("ZENTORY_BENCH_PLAY_SECONDS");
  const double seconds = env ? std::atof(env) : 60.0;
  CMidi0Data song = MakeSong(seconds);
  for (auto _ : state) {
    CSteadyClock clock;
    CThreadTimerService timers;
    CRecordingOutput output(&clock);
    CPlayer::Ports ports;
    ports.midi = &output;
    ports.clock = &clock;
    ports.timers = &timers;
    CPlayer player(ports);
    std::atomic<bool> ended{false};
    player.StartPlay(
        song, [&] { ended = true; }, {}, false);
    while (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    player.WaitIdle(-1);
    std::vector<double> e = output.ErrorsMs();
    std::vector<double> a(e.size());
    std::transform(e.begin(), e.end(), a.begin(), [](double v) { return std::fabs(v); });
    std::sort(a.begin(), a.end());
    double sum = 0;
    for (double v : a) sum += v;
    const auto within2 = std::count_if(a.begin(), a.end(), [](double v) { return v <= 2.0; });
    state.counters["messages"] = static_cast<double>(a.size());
    state.counters["median_ms"] = a[a.size() / 2];
    state.counters["p99_ms"] = a[a.size() * 99 / 100];
    state.counters["max_ms"] = a.back();
    state.counters["mean_ms"] = sum / static_cast<double>(a.size());
    state.counters["within2ms_pct"] =
        100.0 * static_cast<double>(within2) / static_cast<double>(a.size());
    state.counters["beyond10ms"] =
        static_cast<double>(std::count_if(a.begin(), a.end(), [](double v) { return v > 10.0; }));
    state.counters["last_error_ms"] = e.back();  // drift shows here
  }
}
BENCHMARK(LivePlayback)->Iterations(1)->Unit(benchmark::kSecond);

void RenderThreeMinutes(benchmark::State& state) {
  CMidi0Data song = MakeSong(180);
  std::vector<std::int16_t> pcm;
  for (auto _ : state) {
    std::string error;
    if (!RenderPlay(song, 44100, {}, &pcm, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  state.counters["audio_seconds"] = static_cast<double>(pcm.size() / 2) / 44100.0;
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(pcm.size() / 2) / 44100.0 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(RenderThreeMinutes)->Iterations(3)->Unit(benchmark::kSecond);

void SynthStartup(benchmark::State& state) {
  std::string font;
  for (auto _ : state) {
    CFluidSynth synth;
    if (!synth.Start(48000)) {
      state.SkipWithError(synth.Error().c_str());
      return;
    }
    font = synth.SoundFontPath();
  }
  state.SetLabel(font);
}
BENCHMARK(SynthStartup)->Iterations(5)->Unit(benchmark::kMillisecond);

// A stop around a note-on and at random points, through the real player and timer thread: the
// rendered audio from the stop's frame until the synth stays below -60 dBFS.
void StopToSilence(benchmark::State& state) {
  CFluidSynth synth;
  if (!synth.Start(test_support::kStopRate)) {
    state.SkipWithError(synth.Error().c_str());
    return;
  }
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int64_t> offset(-test_support::kStopNoteSpacingUs,
                                                     test_support::kStopNoteSpacingUs);
  std::vector<double> ms;
  for (auto _ : state) {
    const test_support::StopTail tail = test_support::MeasureStopTail(synth, 2, offset(random));
    ms.push_back(static_cast<double>(tail.framesToSilence) * 1000.0 / test_support::kStopRate);
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["max_ms"] = ms.back();
  state.counters["within50ms_pct"] =
      100.0 *
      static_cast<double>(std::count_if(ms.begin(), ms.end(), [](double v) { return v <= 50.0; })) /
      static_cast<double>(ms.size());
}
BENCHMARK(StopToSilence)->Iterations(20)->Unit(benchmark::kMillisecond);

#if defined(ZENTORY_HAVE_SDL_AUDIO)
void PreviewLatency(benchmark::State& state) {
  CSdlAudioDevice device;
  if (!device.Open()) {
    state.SkipWithError(device.Error().c_str());
    return;
  }
  CFluidSynth synth;
  if (!synth.Start(device.Rate())) {
    state.SkipWithError(synth.Error().c_str());
    return;
  }
  using Clock = std::chrono::steady_clock;
  std::atomic<std::int64_t> sentAt{0}, renderedAt{0};
  auto now = [] {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
  };
  const int id = device.AddRenderer([&](float* stereo, int frames) {
    const std::int64_t sent = sentAt.load();
    synth.Render(stereo, frames);  // a message sent at once goes into this block
    if (sent != 0 && renderedAt.load() == 0) renderedAt = now();
  });
  auto port = synth.Open(-1);
  std::vector<double> latencies;
  int key = 40;
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::milliseconds(37));  // any phase of the buffer
    renderedAt = 0;
    sentAt = now();
    port->ShortMessage(0x640090u | static_cast<std::uint32_t>(key) << 8);
    while (renderedAt.load() == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    latencies.push_back(static_cast<double>(renderedAt - sentAt) / 1000.0);
    port->ShortMessage(0x000080u | static_cast<std::uint32_t>(key) << 8);
    key = key == 80 ? 40 : key + 1;
  }
  device.RemoveRenderer(id);
  std::sort(latencies.begin(), latencies.end());
  state.counters["median_ms"] = latencies[latencies.size() / 2];
  state.counters["max_ms"] = latencies.back();
  state.counters["buffer_ms"] = 512.0 * 1000.0 / device.Rate();
}
BENCHMARK(PreviewLatency)->Iterations(50)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

#endif
