#include "ui/qt/run_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "base/error_report.h"
#include "base/general.h"
#include "platform/timer/timer_service.h"
#include "ui/qt/key_capture.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/ui_texts.h"

#if defined(ZENTORY_HAVE_SDL_AUDIO)
#include "platform/sdl_audio/sdl_audio.h"
#endif
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
#include "platform/espeak_mecab/espeak_speech.h"
#endif
#if defined(ZENTORY_HAVE_SPEECHD)
#include "platform/speechd/speechd_speech.h"
#endif

namespace zentory {

namespace {

struct WindowOptions {
  std::string speech = "embedded";
  bool echo = false;
  std::string grab;      // save a picture of the window here (checks of the rendering)
  int quitAfterMs = -1;  // close the window as the close box would (scripted checks)
};

std::optional<WindowOptions> ParseWindowOptions(const QStringList& args) {
  WindowOptions options;
  for (qsizetype i = 1; i < args.size(); ++i) {
    QString arg = args[i];
    QString value;
    if (arg.startsWith("--") && arg.contains(u'=')) {
      value = arg.section(u'=', 1);
      arg = arg.section(u'=', 0, 0);
    } else if ((arg == "--speech" || arg == "--midi" || arg == "--grab" || arg == "--quit-after") &&
               i + 1 < args.size()) {
      value = args[++i];
    }
    if (arg == "--echo") {
      options.echo = true;
    } else if (arg == "--speech" &&
               (value == "embedded" || value == "speechd" || value == "none")) {
      options.speech = value.toStdString();
    } else if (arg == "--midi" && !value.isEmpty()) {
      // The MIDI backends choose their port themselves for now.
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

int RunQtWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  auto options = ParseWindowOptions(QCoreApplication::arguments());
  if (!options) return 2;
  UseJapaneseFont();

  CQtMainWindow window;
  window.SetEcho(options->echo);
  CQtMessageBox box(&window);
  ScopedMessageBoxTarget boxScope(&box);

  std::string appDir;
  std::error_code ec;
  auto cwd = std::filesystem::current_path(ec);
  if (ec) {
    GeneralError(gene::kNoCurrentDir);
  } else {
    appDir = cwd.string();
  }

  CSteadyClock clock;
  CThreadTimerService timers;
  std::vector<std::string> missing;  // named in one box before the first announcement

  IAudioOutput* speechAudio = nullptr;
  IAudioOutput* waveAudio = nullptr;
#if defined(ZENTORY_HAVE_SDL_AUDIO)
  // One device; the voice and the background sound each have a stream into its mix.
  CSdlAudioDevice audioDevice;
  std::unique_ptr<IAudioOutput> speechStream;
  std::unique_ptr<IAudioOutput> waveStream;
  if (audioDevice.Open()) {
    speechStream = audioDevice.CreateOutput();
    speechAudio = speechStream.get();
    waveStream = audioDevice.CreateOutput();
    waveAudio = waveStream.get();
  } else {
    missing.push_back(std::string(ui_texts::kNoAudioDevice) + ": " + audioDevice.Error());
  }
#else
  missing.push_back(ui_texts::kNoAudioDevice);
#endif

  ISpeechSynth* speech = nullptr;
#if defined(ZENTORY_HAVE_SPEECHD)
  std::unique_ptr<CSpeechdSpeech> speechd;
#endif
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
  std::unique_ptr<CEspeakSpeech> embedded;
#endif
  bool wantEmbedded = options->speech == "embedded";
  if (options->speech == "speechd") {
#if defined(ZENTORY_HAVE_SPEECHD)
    speechd = std::make_unique<CSpeechdSpeech>();
    if (speechd->Open()) {
      speech = speechd.get();
    } else {
      missing.push_back(std::string(ui_texts::kNoSpeechd) + ": " + speechd->Error() + "\n" +
                        ui_texts::kNoSpeechdFallback);
      speechd.reset();
      wantEmbedded = true;
    }
#else
    missing.push_back(std::string(ui_texts::kNoSpeechd) + "\n" + ui_texts::kNoSpeechdFallback);
    wantEmbedded = true;
#endif
  }
  if (wantEmbedded) {
#if defined(ZENTORY_HAVE_ESPEAK_MECAB)
    embedded = std::make_unique<CEspeakSpeech>(speechAudio);
    if (embedded->Start()) {
      speech = embedded.get();
      if (!embedded->Problems().empty()) missing.push_back(embedded->Problems());
    } else {
      // The voice's own start-up box (CSpeechCommon::ErrorMsg) tells the user; the log names it.
      std::cerr << "zentory: " << ui_texts::kNoEmbeddedVoice << '\n';
      embedded.reset();
    }
#else
    std::cerr << "zentory: " << ui_texts::kNoEmbeddedVoice << '\n';
#endif
  }
  box.SetVoice(speech);

  CQtKeySource keys(&window);
  CQtDialogs dialogs(&window);
  CQtMainWindowPost post;

  Platform platform;
  platform.view = &window;
  platform.keys = &keys;
  platform.dialogs = &dialogs;
  platform.speech = speech;
  platform.clock = &clock;
  platform.timers = &timers;
  platform.post = &post;
  platform.audio = waveAudio;  // the background sound's stream
  platform.appDir = appDir;

  window.show();
  if (!missing.empty()) {
    std::string text = ui_texts::kMissingHead;
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

  if (!options->grab.empty()) {
    QTimer::singleShot(1500, &window, [&window, path = options->grab] {
      window.grab().save(QString::fromStdString(path));
    });
  }
  if (options->quitAfterMs >= 0) {
    QTimer::singleShot(options->quitAfterMs, &window, &QWidget::close);
  }
  int rc = app.exec();
  dialog.Shutdown();
  window.SetHandlers({});
  box.SetVoice(nullptr);  // the voices go before the box does
  return rc;
}

}  // namespace zentory
