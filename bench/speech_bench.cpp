// Latency of the embedded voice, measured where the user hears it: the first non-silent sample
// the SDL device's mixer hands to the audio driver (SDL_AUDIODRIVER=dummy works: its thread runs
// the callback at the device's pace).
//   KeyToFirstSample: Ctrl+N through the main window object ("曲を新規作成しました。小節[1] 拍[1]
//     節[1]") to the first sample of that sentence.
//   NewerSilencesOlder: a newer announcement's purge to the first block without the older speech.
//   StartupToFirstSample: device, voice (eSpeak NG, MeCab dictionary) and main window start-up to
//     the first sample of the new-song announcement.
#if defined(ZENTORY_HAVE_ESPEAK_MECAB) && defined(ZENTORY_HAVE_SDL_AUDIO)

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/main_dialog.h"
#include "base/error_report.h"
#include "platform/espeak_mecab/espeak_speech.h"
#include "platform/fakes/fakes.h"
#include "platform/sdl_audio/sdl_audio.h"

namespace {

using namespace zentory;
using Clock = std::chrono::steady_clock;

// Watches the mix: when armed, notes the time of the first block with sound, and of the first
// block without any.
struct MixProbe {
  std::atomic<bool> armed{false};
  std::atomic<std::int64_t> firstSound{0};
  std::atomic<std::int64_t> firstSilence{0};
  static std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
  }
  void Attach(CSdlAudioDevice& device) {
    device.SetObserver([this](const float* s, int frames) {
      if (!armed.load()) return;
      bool sound = false;
      for (int i = 0; i < frames * 2 && !sound; ++i) sound = std::fabs(s[i]) > 1e-4f;
      std::int64_t zero = 0;
      if (sound) {
        firstSound.compare_exchange_strong(zero, Now());
      } else {
        firstSilence.compare_exchange_strong(zero, Now());
      }
    });
  }
  void Arm() {
    firstSound = 0;
    firstSilence = 0;
    armed = true;
  }
  // Waits until WHICH is set; its time minus START in seconds, or a negative value on timeout.
  double Wait(std::atomic<std::int64_t>& which, std::int64_t start) {
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (which.load() == 0) {
      if (Clock::now() > end) return -1;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    armed = false;
    return static_cast<double>(which.load() - start) / 1e9;
  }
};

struct Rig {
  explicit Rig() {
    setenv("SDL_AUDIODRIVER", getenv("SDL_AUDIODRIVER") ? getenv("SDL_AUDIODRIVER") : "dummy", 0);
    char tmpl[] = "/tmp/zentory-bench-XXXXXX";
    dir = mkdtemp(tmpl) ? tmpl : "/tmp";
  }
  ~Rig() {
    dialog.reset();
    voice.reset();
    stream.reset();
    device.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  bool Build(MixProbe& probe) {
    device = std::make_unique<CSdlAudioDevice>();
    if (!device->Open()) return false;
    probe.Attach(*device);
    stream = device->CreateOutput();
    voice = std::make_unique<CEspeakSpeech>(stream.get());
    if (!voice->Start()) return false;
    Platform p;
    p.view = &view;
    p.keys = &keys;
    p.dialogs = &dialogs;
    p.speech = voice.get();
    p.clock = &clock;
    p.timers = &clock;
    p.post = &post;
    p.appDir = dir;
    dialog = std::make_unique<CMainDialog>(p);
    return true;
  }
  std::string dir;
  FakeMessageBox boxes;
  ScopedMessageBoxTarget scope{&boxes};
  FakeWindowView view;
  FakeKeySource keys;
  FakeDialogs dialogs;
  FakeClock clock;
  FakeMainWindowPost post;
  std::unique_ptr<CSdlAudioDevice> device;
  std::unique_ptr<IAudioOutput> stream;
  std::unique_ptr<CEspeakSpeech> voice;
  std::unique_ptr<CMainDialog> dialog;
};

void Settle(CEspeakSpeech& voice) {
  voice.Speak("");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

void BM_KeyToFirstSample(benchmark::State& state) {
  MixProbe probe;
  Rig rig;
  if (!rig.Build(probe)) {
    state.SkipWithError("no audio device or no voice");
    return;
  }
  rig.dialog->Start();
  for (auto _ : state) {
    Settle(*rig.voice);
    probe.Arm();
    const std::int64_t start = MixProbe::Now();
    rig.keys.KeyDown(0x4E, 1, 0, 0);  // Ctrl+N: new song, announced with the position
    const double s = probe.Wait(probe.firstSound, start);
    if (s < 0) {
      state.SkipWithError("no sound");
      return;
    }
    state.SetIterationTime(s);
  }
}
BENCHMARK(BM_KeyToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_NewerSilencesOlder(benchmark::State& state) {
  MixProbe probe;
  Rig rig;
  if (!rig.Build(probe)) {
    state.SkipWithError("no audio device or no voice");
    return;
  }
  for (auto _ : state) {
    rig.voice->Speak("曲を新規作成しました。小節[1] 拍[1] 節[1]");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // well into the sentence
    probe.Arm();
    const std::int64_t start = MixProbe::Now();
    rig.voice->Speak("");  // what every newer announcement does first
    const double s = probe.Wait(probe.firstSilence, start);
    if (s < 0) {
      state.SkipWithError("the older speech went on");
      return;
    }
    state.SetIterationTime(s);
  }
}
BENCHMARK(BM_NewerSilencesOlder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_StartupToFirstSample(benchmark::State& state) {
  for (auto _ : state) {
    MixProbe probe;
    probe.Arm();
    const std::int64_t start = MixProbe::Now();
    Rig rig;
    if (!rig.Build(probe)) {
      state.SkipWithError("no audio device or no voice");
      return;
    }
    rig.dialog->Start();
    const double s = probe.Wait(probe.firstSound, start);
    if (s < 0) {
      state.SkipWithError("no sound");
      return;
    }
    state.SetIterationTime(s);
  }
}
// One iteration: eSpeak NG initialises once per process, and that is part of the start-up.
BENCHMARK(BM_StartupToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

#endif
