#include "ui/qt/run_window.h"

#include <unistd.h>

#include <QApplication>
#include <QFontDatabase>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "base/error_report.h"
#include "base/general.h"
#include "platform/wiring/app_folders.h"
#include "platform/wiring/backends.h"
#include "platform/wiring/sound_backends.h"
#include "ui/qt/key_capture.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/term_signals.h"
#include "ui/qt/translations.h"
#include "ui/qt/ui_texts.h"

namespace zentory {

namespace {

struct WindowOptions {
  std::string speech = "embedded";
  MidiChoice midi;
  bool echo = false;
  std::string grab;      // save a picture of the window here (checks of the rendering)
  int quitAfterMs = -1;  // close the window through its OK button (scripted checks)
};

std::optional<WindowOptions> ParseWindowOptions(const QStringList& args) {
  WindowOptions options;
  for (qsizetype i = 1; i < args.size(); ++i) {
    QString arg = args[i];
    QString value;
    if (arg.startsWith("--") && arg.contains(u'=')) {
      value = arg.section(u'=', 1);
      arg = arg.section(u'=', 0, 0);
    } else if ((arg == "--speech" || arg == "--midi" || arg == "--midi-log" || arg == "--grab" ||
                arg == "--quit-after") &&
               i + 1 < args.size()) {
      value = args[++i];
    }
    if (arg == "--echo") {
      options.echo = true;
    } else if (arg == "--speech" &&
               (value == "embedded" || value == "speechd" || value == "none")) {
      options.speech = value.toStdString();
    } else if (arg == "--midi" && !value.isEmpty()) {
      options.midi.port = value.toStdString();
    } else if (arg == "--midi-log" && !value.isEmpty()) {
      options.midi.logPath = value.toStdString();
    } else if (arg == "--grab" && !value.isEmpty()) {
      options.grab = value.toStdString();
    } else if (arg == "--quit-after" && !value.isEmpty()) {
      bool ok = false;
      options.quitAfterMs = value.toInt(&ok);
      if (!ok || options.quitAfterMs < 0) return std::nullopt;
    } else {
      std::cerr << "zentory: " << args[i].toStdString() << ": " << ui_texts::kBadOption << '\n'
                << ui_texts::kUsage;
      return std::nullopt;
    }
  }
  return options;
}

void UseJapaneseFont() {
  // Any CJK font renders the texts; Noto's is the one the packages bring.
  for (const char* family : {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic", "VL Gothic"}) {
    if (QFontDatabase::families().contains(QString::fromUtf8(family))) {
      QFont font(QString::fromUtf8(family));
      font.setPointSize(QApplication::font().pointSize());
      QApplication::setFont(font);
      return;
    }
  }
}

}  // namespace

int RunQtWindow(int argc, char** argv, const FolderChoice& folders, const std::string& dataDir) {
  QApplication app(argc, argv);
  auto options = ParseWindowOptions(QCoreApplication::arguments());
  if (!options) return 2;
  UseJapaneseFont();
  std::string noTranslations;
  // Installed for the whole run: every dialog reads its buttons from it.
  std::unique_ptr<QTranslator> japanese = LoadJapaneseQtTexts(noTranslations);
  if (!japanese) std::cerr << "zentory: " << noTranslations << '\n';

  CQtMainWindow window;
  window.SetEcho(options->echo);
  CQtMessageBox box(&window);
  ScopedMessageBoxTarget boxScope(&box);

  std::vector<std::string> missing;  // named in one box before the first announcement
  std::string appDir = SettingsFolder(folders, missing);

  CBackends backends;
  backends.OpenAudio(missing);
  ISpeechSynth* speech = backends.StartSpeech(options->speech, true, missing, appDir);
  if (!speech && options->speech != "none") {
    std::cerr << "zentory: " << backend_texts::kNoEmbeddedVoice << '\n';
  }
  IClock* clock = backends.RealClock();
  ITimerService* timers = backends.RealTimers();
  // The embedded synth leaves the mix (sound goes first) before the audio device closes.
  CSoundBackends sound;
  AudioMix mix;
  mix.rate = backends.AudioRate();
  mix.bufferFrames = backends.AudioBufferFrames();
  mix.addRenderer = [&backends](auto r) { return backends.AddAudioRenderer(std::move(r)); };
  mix.removeRenderer = [&backends](int id) { backends.RemoveAudioRenderer(id); };
  IMidiOutput* midi = sound.StartMidi(options->midi, clock, mix, missing);
  // A timed run is a scripted check of the window: it never touches the user's mixer.
  IMixer* mixer = options->quitAfterMs >= 0 ? nullptr : sound.OpenMixer();
  box.SetVoice(speech);

  CQtKeySource keys(&window);
  CQtDialogs dialogs(&window);
  CQtMainWindowPost post;

  Platform platform;
  platform.view = &window;
  platform.keys = &keys;
  platform.dialogs = &dialogs;
  platform.speech = speech;
  platform.clock = clock;
  platform.timers = timers;
  platform.post = &post;
  platform.audio = backends.WaveAudio();  // the background sound's stream
  platform.midi = midi;
  platform.mixer = mixer;
  platform.appDir = appDir;
  platform.dataDir = dataDir;
  platform.processId = static_cast<long>(getpid());
  platform.backgroundRecovery = true;

  window.show();
  if (!missing.empty()) {
    std::string text = backend_texts::kMissingHead;
    for (const auto& m : missing) {
      text += "\n";
      text += m;
      std::cerr << "zentory: " << m << '\n';
    }
    ShowMessageBox(text);
  }

  CMainDialog dialog(platform);
  post.SetHandler([&dialog](int message) { dialog.OnPosted(message); });
  CQtMainWindow::Handlers handlers;
  handlers.testButton = [&dialog] { dialog.OnTestButton(); };
  handlers.voiceSelected = [&dialog] { dialog.OnVoiceSelected(); };
  handlers.formatSelected = [&dialog] { dialog.OnFormatSelected(); };
  handlers.rateSlider = [&dialog](int v) { dialog.OnRateSlider(v); };
  handlers.volumeSlider = [&dialog](int v) { dialog.OnVolumeSlider(v); };
  handlers.closing = [&dialog] { dialog.Shutdown(); };
  window.SetHandlers(handlers);

  dialog.Start();
  // A logout or a kill: the unsaved song goes to its recovery file, then every event loop ends
  // (a file dialog's too, so that its command finishes before the shutdown below).
  CTermSignals termSignals([&dialog] {
    dialog.WriteRecoveryNow();
    QCoreApplication::exit(0);
  });

  if (!options->grab.empty()) {
    QTimer::singleShot(1500, &window, [&window, path = options->grab] {
      window.grab().save(QString::fromStdString(path));
    });
  }
  if (options->quitAfterMs >= 0) {
    QTimer::singleShot(options->quitAfterMs, &window, [&window] { window.OkButton()->click(); });
  }
  int rc = app.exec();
  dialog.Shutdown();
  window.SetHandlers({});
  box.SetVoice(nullptr);  // the voices go before the box does
  return rc;
}

}  // namespace zentory
