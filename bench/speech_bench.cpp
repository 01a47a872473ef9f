// Latency of the embedded voice, measured where the user hears it: the first non-silent sample
// the SDL device's mixer hands to the audio driver (SDL_AUDIODRIVER=dummy works: its thread runs
// the callback at the device's pace).
//   KeyToFirstSample: Ctrl+N through the main window object ("曲を新規作成しました。小節[1] 拍[1]
//     節[1]") to the first sample of that sentence.
//   NewerSilencesOlder: a newer announcement's purge to the first block without the older speech.
//   StartupToFirstSample: device, voice (eSpeak NG, MeCab dictionary) and main window start-up to
//     the first sample of the new-song announcement.
//   ReadingStep / ReadingStepLongest: the text -> reading step alone (NFKC, the user's readings,
//     the reading rules, MeCab), per announcement, over the menu items, error boxes, instrument
//     names and positions; and the longest fixed text (an error box of two sentences).
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

#include "app/command_table.h"
#include "app/main_dialog.h"
#include "base/error_report.h"
#include "base/general.h"
#include "platform/espeak_mecab/espeak_speech.h"
#include "platform/espeak_mecab/speech_text.h"
#include "platform/fakes/fakes.h"
#include "platform/sdl_audio/sdl_audio.h"
#include "song/event_names.h"

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

// The announcements a session is made of: every menu item with its keys, the coded boxes of the
// file reader, the instrument names and the spoken positions.
std::vector<std::string> Announcements() {
  std::vector<std::string> texts;
  CKeyTable keys;
  for (const CommandEntry& e : CommandEntries()) texts.push_back(SpokenCommandItem(e, keys));
  for (ErrorCode code = 0x01000002; code <= 0x01000013; ++code) {
    texts.push_back(GeneralModule().Format(code));
  }
  for (const char* name : InstrumentNames) texts.emplace_back(name);
  for (int bar = 1; bar <= 20; ++bar) {
    texts.push_back("小節[" + std::to_string(bar) + "] 拍[3] 節[2]");
  }
  return texts;
}

void BM_ReadingStep(benchmark::State& state) {
  CReadingConverter converter;
  if (!converter.HasDictionary()) {
    state.SkipWithError("no MeCab dictionary");
    return;
  }
  std::vector<int> bad;
  converter.SetUserReadings(CReadingDictionary::Parse("Bach\tバッハ\n山田\tヤマダ\n", bad));
  const std::vector<std::string> texts = Announcements();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(converter.ToReading(texts[i]));
    i = (i + 1) % texts.size();
  }
  state.SetLabel(std::to_string(texts.size()) + " texts, per announcement");
}
BENCHMARK(BM_ReadingStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_ReadingStepLongest(benchmark::State& state) {
  CReadingConverter converter;
  if (!converter.HasDictionary()) {
    state.SkipWithError("no MeCab dictionary");
    return;
  }
  const std::string text = GeneralModule().Format(0x01000007);
  for (auto _ : state) benchmark::DoNotOptimize(converter.ToReading(text));
}
BENCHMARK(BM_ReadingStepLongest)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

#endif
