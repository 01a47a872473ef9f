// zentory: the window (when built with Qt) or, with --script FILE, the key-script front end.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_texts.h"
#include "app/script_front_end.h"
#include "base/general.h"
#include "platform/fakes/fakes.h"
#include "platform/wiring/backends.h"
#include "platform/wiring/sound_backends.h"

#if defined(ZENTORY_HAVE_QT)
#include "ui/qt/run_window.h"
#endif
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
#include "platform/espeak_mecab/speech_text.h"
#endif

namespace {

using namespace zentory;

struct Options {
  std::string script;
  std::string midi = "none";
  std::string midiLog;
  std::string speech = "none";
};

// Reads the options of key-script mode; nothing (after a message) when they are wrong.
std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string value;
    std::string_view option = arg;
    if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      option = arg.substr(0, eq);
      value = std::string(arg.substr(eq + 1));
    } else if (arg == "--script" || arg == "--midi" || arg == "--speech" || arg == "--midi-log") {
      if (i + 1 >= argc) {
        std::cerr << "zentory: " << arg << ": " << texts::kScriptBadOption << '\n'
                  << texts::kScriptUsage;
        return std::nullopt;
      }
      value = argv[++i];
    }
    if (option == "--script") {
      options.script = value;
    } else if (option == "--midi" && !value.empty()) {
      options.midi = value;
    } else if (option == "--midi-log" && !value.empty()) {
      options.midiLog = value;
    } else if (option == "--speech" &&
               (value == "none" || value == "embedded" || value == "speechd")) {
      options.speech = value;
    } else {
      std::cerr << "zentory: " << arg << ": " << texts::kScriptBadOption << '\n'
                << texts::kScriptUsage;
      return std::nullopt;
    }
  }
  if (options.script.empty()) {
    std::cerr << texts::kScriptUsage;
    return std::nullopt;
  }
  return options;
}

bool HasScriptOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--script" || arg.starts_with("--script=")) return true;
  }
  return false;
}

int RunScriptMode(const Options& options) {
  std::string appDir = CurrentAppDir();

  // Silent runs take virtual time, so the pauses of quitting and of closing the menu pass at
  // once; a run with a voice keeps real time so that every sentence can be heard out.
  FakeClock virtualClock;
  IClock* clock = &virtualClock;
  ITimerService* timers = &virtualClock;
  CSilentSpeech silent;
  ISpeechSynth* speech = &silent;

  CBackends backends;
  std::vector<std::string> problems;
  ISpeechSynth* voice = nullptr;
  if (options.speech != "none") {
    if (options.speech == "embedded") backends.OpenAudio(problems);
    voice = backends.StartSpeech(options.speech, false, problems, appDir);
  }
  for (const std::string& problem : problems) {
    std::cerr << "zentory: --speech " << options.speech << ": " << problem << '\n';
  }
  if (voice) {
    speech = voice;
    if (backends.RealClock() && backends.RealTimers()) {
      clock = backends.RealClock();
      timers = backends.RealTimers();
    }
  } else if (options.speech != "none") {
    std::cerr << "zentory: --speech " << options.speech << ' ' << texts::kScriptBackendMissing
              << '\n';
  }
  // Key-script mode never touches the user's mixer: a test must not change the volume.
  CSoundBackends sound;
  std::vector<std::string> midiProblems;
  AudioMix mix;
  if (options.midi == "embedded" && backends.OpenAudio(midiProblems)) {
    mix.rate = backends.AudioRate();
    mix.bufferFrames = backends.AudioBufferFrames();
    mix.addRenderer = [&backends](auto r) { return backends.AddAudioRenderer(std::move(r)); };
    mix.removeRenderer = [&backends](int id) { backends.RemoveAudioRenderer(id); };
  }
  IMidiOutput* midi = sound.StartMidi({options.midi, options.midiLog}, clock, mix, midiProblems);
  for (const std::string& problem : midiProblems) {
    std::cerr << "zentory: --midi " << options.midi << ": " << problem << '\n';
  }

  ScriptEnvironment env;
  env.clock = clock;
  env.timers = timers;
  env.speech = speech;
  env.midi = midi;
  env.appDir = appDir;

  if (options.script == "-") return RunScript(std::cin, "-", env, std::cout, std::cerr);
  std::ifstream file(options.script, std::ios::binary);
  if (!file) {
    std::cerr << "zentory: " << options.script << ": " << texts::kScriptCannotOpen << '\n';
    return 2;
  }
  return RunScript(file, options.script, env, std::cout, std::cerr);
}

// zentory --reading TEXT: prints TEXT exactly as the embedded voice will be given it, so a user
// can check an entry of readings.txt; no window opens.
constexpr const char* kReadingOption = "--reading";
constexpr const char* kReadingUsage = "usage: zentory --reading TEXT\n";
constexpr const char* kReadingNoVoice = "zentory: this build has no embedded voice\n";

std::optional<int> RunReadingMode(int argc, char** argv) {
  if (argc < 2 || std::string_view(argv[1]) != kReadingOption) return std::nullopt;
  if (argc != 3) {
    std::cerr << kReadingUsage;
    return 2;
  }
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
  std::string notice;
  std::string reading = ReadingForVoice(argv[2], CurrentAppDir(), notice);
  if (!notice.empty()) std::cerr << "zentory: " << notice << '\n';
  std::cout << reading << '\n';
  return 0;
#else
  std::cerr << kReadingNoVoice;
  return 2;
#endif
}

}  // namespace

// --midi list: prints the MIDI outputs and exits; no window and no display needed.
bool HasMidiList(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--midi=list" ||
        (arg == "--midi" && i + 1 < argc && std::string_view(argv[i + 1]) == "list")) {
      return true;
    }
  }
  return false;
}

// Without a display Qt would abort the program; one line says why instead.
bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

constexpr const char* kNoDisplay =
    "zentory: no display (DISPLAY and WAYLAND_DISPLAY are not set); the window needs a desktop, "
    "key scripts run with --script FILE\n";

int main(int argc, char** argv) {
  if (HasMidiList(argc, argv)) return zentory::CSoundBackends::ListOutputs(std::cout);
  if (auto rc = RunReadingMode(argc, argv)) return *rc;
  if (!HasScriptOption(argc, argv)) {
#if defined(ZENTORY_HAVE_QT)
    if (!HasDisplay()) {
      std::cerr << kNoDisplay;
      return 1;
    }
    return zentory::RunQtWindow(argc, argv);
#else
    std::cerr << zentory::texts::kScriptNoWindow;
    return 2;
#endif
  }
  auto options = ParseOptions(argc, argv);
  if (!options) return 2;
  return RunScriptMode(*options);
}
