#include "ui/win32/run_window.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>

#include "app/main_dialog.h"
#include "base/error_report.h"
#include "base/wide_text_win32.h"
#include "platform/fakes/fakes.h"
#include "platform/win32/endpoint_mixer.h"
#include "platform/win32/waveout_audio.h"
#include "platform/wiring/backends.h"
#include "platform/wiring/sound_backends.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/key_hook.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_speech.h"
#include "ui/win32/win32_texts.h"

namespace zentory {

namespace {

// Windows ends a process about five seconds after the console's close event.
constexpr std::chrono::milliseconds kConsoleCloseWait{4000};

// The console's close, logoff and shutdown events run ONCLOSE on the thread Windows starts for
// them. One run has one window, so one handler at a time is all there is.
class ScopedConsoleClose {
 public:
  explicit ScopedConsoleClose(std::function<void()> onClose) {
    Current() = std::move(onClose);
    SetConsoleCtrlHandler(&Handler, TRUE);
  }
  ~ScopedConsoleClose() {
    SetConsoleCtrlHandler(&Handler, FALSE);
    Current() = nullptr;
  }
  ScopedConsoleClose(const ScopedConsoleClose&) = delete;
  ScopedConsoleClose& operator=(const ScopedConsoleClose&) = delete;

 private:
  static std::function<void()>& Current() {
    static std::function<void()> onClose;
    return onClose;
  }
  static BOOL WINAPI Handler(DWORD event) {
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
      if (Current()) Current()();
    }
    return FALSE;  // the default handling (ending the process) follows
  }
};

}  // namespace

namespace {

struct WindowOptions {
  std::string speech = "sapi";
  // Windows has no embedded synth: the first MIDI output (the GS wavetable synth of a stock
  // Windows) plays unless --midi names another.
  MidiChoice midi{"0", {}};
  bool echo = false;
  int quitAfterMs = -1;  // close the window as the close box would (scripted checks)
};

std::optional<WindowOptions> ParseWindowOptions(const std::vector<std::string>& args) {
  WindowOptions options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string value;
    if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    } else if ((arg == "--speech" || arg == "--midi" || arg == "--midi-log" ||
                arg == "--quit-after") &&
               i + 1 < args.size()) {
      value = args[++i];
    }
    bool ok = true;
    if (arg == "--help") {
      std::cout << win32_texts::kUsage;
      return std::nullopt;
    }
    if (arg == "--echo") {
      options.echo = true;
    } else if (arg == "--speech" &&
               (value == "sapi" || value == "screenreader" || value == "none")) {
      options.speech = value;
    } else if (arg == "--midi" && !value.empty()) {
      options.midi.port = value;
    } else if (arg == "--midi-log" && !value.empty()) {
      options.midi.logPath = value;
    } else if (arg == "--quit-after" && !value.empty()) {
      try {
        std::size_t used = 0;
        options.quitAfterMs = std::stoi(value, &used);
        ok = used == value.size() && options.quitAfterMs >= 0;
      } catch (const std::exception&) {
        ok = false;
      }
    } else {
      ok = false;
    }
    if (!ok) {
      std::cerr << "zentory: " << args[i] << ": " << win32_texts::kBadOption << '\n'
                << win32_texts::kUsage;
      return std::nullopt;
    }
  }
  return options;
}

// True when a file can be made in DIR (removed again at once).
bool CanWriteIn(const std::string& dir) {
  std::wstring name = WideFromUtf8(dir);
  if (!name.empty() && name.back() != L'\\') name.push_back(L'\\');
  name += L".zentory-write-check-" + std::to_wstring(GetCurrentProcessId());
  HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// The settings folder FOLDERS names; the current folder, when it cannot be written (a program
// started from a read-only place), gives way to the user's folder, said once in MISSING.
std::string WritableSettingsFolder(const FolderChoice& folders, std::vector<std::string>& missing) {
  std::string dir = SettingsFolder(folders, missing);
  if (folders.kind != FolderChoice::Kind::kCurrent || dir.empty() || CanWriteIn(dir)) return dir;
  FolderChoice user;
  user.kind = FolderChoice::Kind::kUser;
  std::vector<std::string> problems;
  std::string userDir = SettingsFolder(user, problems);
  if (userDir.empty()) {
    missing.insert(missing.end(), problems.begin(), problems.end());
    return dir;
  }
  missing.push_back(std::string(win32_texts::kReadOnlyFolder) + dir +
                    win32_texts::kUsingUserFolder + userDir);
  return userDir;
}

// COM for the voice on the user-interface thread, for the run.
class CComScope {
 public:
  CComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~CComScope() {
    if (ok_) CoUninitialize();
  }
  CComScope(const CComScope&) = delete;
  CComScope& operator=(const CComScope&) = delete;

 private:
  bool ok_;
};

}  // namespace

int RunWin32Window(const std::vector<std::string>& args, const FolderChoice& folders,
                   const std::string& dataDir) {
  auto options = ParseWindowOptions(args);
  if (!options) {
    for (const auto& arg : args) {
      if (arg == "--help") return 0;
    }
    return 2;
  }
  CComScope com;

  CWin32MainWindow window;
  if (!window.Created()) {
    std::cerr << "zentory: the window cannot be made\n";
    return 1;
  }
  window.SetEcho(options->echo);
  CWin32MessageBox box(&window);
  ScopedMessageBoxTarget boxScope(&box);

  // What cannot be had is said once after the first announcement and written to standard error,
  // never shown in a box: a box before the window has the keyboard would be read by nobody.
  std::vector<std::string> missing;
  std::string appDir = WritableSettingsFolder(folders, missing);

  CBackends backends;
  CWin32Speech voices;
  ISpeechSynth* speech = voices.Start(options->speech, window.Handle(), missing, appDir);
  IClock* clock = backends.RealClock();
  ITimerService* timers = backends.RealTimers();
  CSoundBackends sound;
  AudioMix mix;  // no embedded synth on Windows: rate 0 takes no renderer
  IMidiOutput* midi = sound.StartMidi(options->midi, clock, mix, missing);
  // The background sound's stream; without an output device the program goes on silent.
  CWaveOutAudio waveOut;
  const bool haveAudio = SystemWinWaveApi().GetNumDevs() > 0;
  if (!haveAudio) missing.emplace_back(win32_texts::kNoAudioDevice);
  // A timed run is a scripted check of the window: it never touches the user's volume.
  std::unique_ptr<CEndpointMixer> endpoint;
  if (haveAudio && options->quitAfterMs < 0) {
    std::string problem;
    endpoint = CEndpointMixer::Create(problem);
    if (!endpoint) std::cerr << "zentory: " << win32_texts::kNoEndpointVolume << problem << '\n';
  }
  IMixer* mixer = endpoint.get();
  // A screen reader reads a box by itself; any other voice reads it here.
  box.SetVoice(voices.ScreenReader() ? nullptr : speech);

  CWin32KeyHook keys(window.Handle());
  CWin32Dialogs dialogs(&window);

  Platform platform;
  platform.view = &window;
  platform.keys = &keys;
  platform.dialogs = &dialogs;
  platform.speech = speech;
  platform.clock = clock;
  platform.timers = timers;
  platform.post = &window;
  platform.audio = haveAudio ? &waveOut : nullptr;
  platform.midi = midi;
  platform.mixer = mixer;
  platform.appDir = appDir;
  platform.dataDir = dataDir;
  platform.processId = static_cast<long>(GetCurrentProcessId());
  platform.backgroundRecovery = true;

  window.Show();
  CMainDialog dialog(platform);
  CWin32MainWindow::Handlers handlers;
  handlers.testButton = [&dialog] { dialog.OnTestButton(); };
  handlers.voiceSelected = [&dialog] { dialog.OnVoiceSelected(); };
  handlers.formatSelected = [&dialog] { dialog.OnFormatSelected(); };
  handlers.rateSlider = [&dialog](int v) { dialog.OnRateSlider(v); };
  handlers.volumeSlider = [&dialog](int v) { dialog.OnVolumeSlider(v); };
  handlers.posted = [&dialog](int message) { dialog.OnPosted(message); };
  handlers.closing = [&dialog] { dialog.Shutdown(); };
  handlers.sessionEnding = [&dialog] { dialog.WriteRecoveryNow(); };
  window.SetHandlers(handlers);

  dialog.Start();
  // Closing the console the program was started from ends it too: the song is kept first.
  ScopedConsoleClose consoleClose([&window, &dialog] {
    auto written = std::make_shared<std::promise<void>>();
    std::future<void> done = written->get_future();
    window.RunOnUiThread([&dialog, written] {
      dialog.WriteRecoveryNow();
      written->set_value();
    });
    done.wait_for(kConsoleCloseWait);
  });
  if (!missing.empty()) {
    std::string text = win32_texts::kMissingHead;
    for (const auto& m : missing) {
      text += "\n";
      text += m;
      std::cerr << "zentory: " << m << '\n';
    }
    dialog.Announce(text);
  }
  if (options->quitAfterMs >= 0) window.CloseAfter(options->quitAfterMs);
  int rc = window.Run();
  dialog.Shutdown();
  window.SetHandlers({});
  box.SetVoice(nullptr);  // the voices go before the box does
  return rc;
}

}  // namespace zentory
