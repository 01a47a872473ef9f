// zentory: the window (when built with Qt) or, with --script FILE, the key-script front end.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_texts.h"
#include "app/script_front_end.h"
#include "base/general.h"
#include "platform/console/console.h"
#include "platform/fakes/fakes.h"
#include "platform/wiring/app_folders.h"
#include "platform/wiring/backends.h"
#include "platform/wiring/sound_backends.h"

#if defined(ZENTORY_HAVE_QT)
#include "ui/qt/run_window.h"
#endif
#if defined(ZENTORY_HAVE_WIN32_UI)
#include "platform/win32/sapi_speech.h"
#include "ui/win32/run_window.h"
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
std::optional<Options> ParseOptions(const std::vector<std::string>& args) {
  const std::size_t argc = args.size();
  Options options;
  for (std::size_t i = 1; i < argc; ++i) {
    std::string_view arg = args[i];
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
      value = args[++i];
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

bool HasScriptOption(const std::vector<std::string>& args) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "--script" || arg.starts_with("--script=")) return true;
  }
  return false;
}

// The settings folder CHOICE names; a folder that cannot be had is one line on standard error.
std::string SettingsFolderOrSay(const FolderChoice& choice) {
  std::vector<std::string> problems;
  std::string folder = SettingsFolder(choice, problems);
  for (const std::string& problem : problems) std::cerr << "zentory: " << problem << '\n';
  return folder;
}

int RunScriptMode(const Options& options, const FolderChoice& folders, const std::string& dataDir) {
  std::string appDir = SettingsFolderOrSay(folders);

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
  // The background sound plays as in the window once the audio device is open for a voice or
  // the embedded synth.
  env.audio = backends.WaveAudio();
  env.appDir = appDir;
  env.dataDir = dataDir;
  env.processId = static_cast<long>(getpid());

  if (options.script == "-") return RunScript(std::cin, "-", env, std::cout, std::cerr);
  std::ifstream file(PathFromUtf8(options.script), std::ios::binary);
  if (!file) {
    std::cerr << "zentory: " << options.script << ": " << texts::kScriptCannotOpen << '\n';
    return 2;
  }
  return RunScript(file, options.script, env, std::cout, std::cerr);
}

// zentory --reading TEXT: prints TEXT exactly as the voice (the embedded one, or SAPI on Windows)
// will be given it, so a user can check an entry of readings.txt; no window opens.
constexpr const char* kReadingOption = "--reading";
constexpr const char* kReadingUsage =
    "usage: zentory [--config DIR|--user-config] --reading TEXT\n";
constexpr const char* kReadingNoVoice = "zentory: this build has no embedded voice\n";

std::optional<int> RunReadingMode(const std::vector<std::string>& args,
                                  const FolderChoice& folders) {
  if (args.size() < 2 || args[1] != kReadingOption) return std::nullopt;
  if (args.size() != 3) {
    std::cerr << kReadingUsage;
    return 2;
  }
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
  std::string notice;
  std::string reading = ReadingForVoice(args[2], SettingsFolderOrSay(folders), notice);
  if (!notice.empty()) std::cerr << "zentory: " << notice << '\n';
  std::cout << reading << '\n';
  return 0;
#elif defined(ZENTORY_HAVE_WIN32_UI)
  std::string notice;
  std::string reading = SapiReading(args[2], SettingsFolderOrSay(folders), notice);
  if (!notice.empty()) std::cerr << "zentory: " << notice << '\n';
  std::cout << reading << '\n';
  return 0;
#else
  (void)folders;
  std::cerr << kReadingNoVoice;
  return 2;
#endif
}

}  // namespace

// --midi list: prints the MIDI outputs and exits; no window and no display needed.
bool HasMidiList(const std::vector<std::string>& args) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "--midi=list" || (arg == "--midi" && i + 1 < args.size() && args[i + 1] == "list")) {
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

bool HasHelp(const std::vector<std::string>& args) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") return true;
  }
  return false;
}

int main(int argc, char** argv) {
  zentory::UseParentConsole();
  zentory::UseBinaryStandardStreams();
  std::vector<std::string> args = zentory::CommandLineArgs(argc, argv);
  if (HasHelp(args)) {
    std::cout << zentory::texts::kCommandLineHelp;
    return 0;
  }
  zentory::FolderChoice folders;
  std::string folderError;
  if (!zentory::TakeFolderOptions(args, folders, folderError)) {
    std::cerr << "zentory: " << folderError << '\n';
    return 2;
  }
  const std::string dataDir = zentory::DataFolder(zentory::ExecutablePath(args[0].c_str()));
  if (HasMidiList(args)) return zentory::CSoundBackends::ListOutputs(std::cout);
  if (auto rc = RunReadingMode(args, folders)) return *rc;
  if (!HasScriptOption(args)) {
#if defined(ZENTORY_HAVE_WIN32_UI)
    return zentory::RunWin32Window(args, folders, dataDir);
#elif defined(ZENTORY_HAVE_QT)
    if (!HasDisplay()) {
      std::cerr << kNoDisplay;
      return 1;
    }
    // Qt keeps the argument vector for the whole run; it holds what the folder options left.
    std::vector<char*> rest;
    for (std::string& arg : args) rest.push_back(arg.data());
    rest.push_back(nullptr);
    int restCount = static_cast<int>(args.size());
    return zentory::RunQtWindow(restCount, rest.data(), folders, dataDir);
#else
    std::cerr << zentory::texts::kScriptNoWindow;
    return 2;
#endif
  }
  auto options = ParseOptions(args);
  if (!options) return 2;
  return RunScriptMode(*options, folders, dataDir);
}
