// The desktop window with the real key capture and the real main window object; speech, time and
// dialogs faked. Keys are sent to the window handle, as the window system delivers them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/main_dialog.h"
#include "base/error_report.h"
#include "platform/fakes/fakes.h"
#include "support/temp_dir.h"
#include "ui/qt/key_capture.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/translations.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

struct Stroke {
  bool down;
  int vk, ctrl, shift, alt;
  bool operator==(const Stroke&) const = default;
};
void PrintTo(const Stroke& s, std::ostream* os) {
  *os << (s.down ? "down " : "up ") << s.vk << " c" << s.ctrl << " s" << s.shift << " a" << s.alt;
}

class RecordingSink : public IKeySink {
 public:
  void OnKeyDown(int k, int c, int s, int a) override { strokes.push_back({true, k, c, s, a}); }
  void OnKeyUp(int k, int c, int s, int a) override { strokes.push_back({false, k, c, s, a}); }
  std::vector<Stroke> strokes;
};

void ProcessEvents() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

TEST(QtKeyCapture, KeysReachTheSinkOnceAsVirtualKeysWithModifiers) {
  CQtMainWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  CQtKeySource keys(&window);
  RecordingSink sink;
  ASSERT_TRUE(keys.Install(&sink));
  QWindow* handle = window.windowHandle();

  QTest::keyClick(handle, Qt::Key_Return);
  QTest::keyClick(handle, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(handle, Qt::Key_At);
  QTest::keyClick(handle, Qt::Key_5, Qt::KeypadModifier);
  QTest::keyPress(handle, Qt::Key_Alt);
  QTest::keyRelease(handle, Qt::Key_Alt);
  QTest::keyClick(handle, Qt::Key_F12, Qt::ShiftModifier);
  // A click with a modifier presses and releases the modifier key too, as a keyboard does.
  const std::vector<Stroke> expected = {
      {true, 0x0D, 0, 0, 0}, {false, 0x0D, 0, 0, 0}, {true, 0x11, 1, 0, 0},  {true, 'A', 1, 0, 0},
      {false, 'A', 1, 0, 0}, {false, 0x11, 0, 0, 0}, {true, 0xC0, 0, 0, 0},  {false, 0xC0, 0, 0, 0},
      {true, 0x65, 0, 0, 0}, {false, 0x65, 0, 0, 0}, {true, 0x12, 0, 0, 1},  {false, 0x12, 0, 0, 0},
      {true, 0x10, 0, 1, 0}, {true, 0x7B, 0, 1, 0},  {false, 0x7B, 0, 1, 0}, {false, 0x10, 0, 0, 0},
  };
  EXPECT_EQ(sink.strokes, expected);

  // Removed, the keys go to the window's widgets again and the sink hears nothing.
  keys.Remove();
  sink.strokes.clear();
  QTest::keyClick(handle, Qt::Key_B);
  EXPECT_TRUE(sink.strokes.empty());
}

class QtWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    Platform p;
    p.view = &window;
    p.keys = &keys;
    p.dialogs = &dialogs;
    p.speech = &speech;
    p.clock = &clock;
    p.timers = &clock;
    p.post = &post;
    p.appDir = dir.string();
    dialog = std::make_unique<CMainDialog>(p);
    CQtMainWindow::Handlers h;
    h.testButton = [this] { dialog->OnTestButton(); };
    h.rateSlider = [this](int v) { dialog->OnRateSlider(v); };
    h.closing = [this] { dialog->Shutdown(); };
    window.SetHandlers(h);
    post.SetHandler([this](int m) { dialog->OnPosted(m); });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    dialog->Start();
  }
  void TearDown() override { dialog.reset(); }
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(window.windowHandle(), key, mods);
    ProcessEvents();
  }

  test_support::TempDir temp;
  fs::path dir = temp.Path();
  FakeMessageBox boxes;
  ScopedMessageBoxTarget boxScope{&boxes};
  CQtMainWindow window;
  CQtKeySource keys{&window};
  FakeDialogs dialogs;
  FakeSpeech speech;
  FakeClock clock;
  CQtMainWindowPost post;
  std::unique_ptr<CMainDialog> dialog;
};

TEST_F(QtWindow, TitleControlsAndTheFirstAnnouncement) {
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("ゼントリー"));
  EXPECT_EQ(window.TestButton()->text(), QString::fromUtf8("テスト"));
  EXPECT_EQ(window.FormatList()->count(), 36);
  EXPECT_EQ(window.VoiceList()->count(), 1);
  EXPECT_EQ(window.RateSlider()->minimum(), -10);
  EXPECT_EQ(window.RateSlider()->maximum(), 10);
  EXPECT_EQ(window.VolumeSlider()->maximum(), 100);
  EXPECT_TRUE(window.GuideText().startsWith(QString::fromUtf8("曲を新規作成しました。")));
  EXPECT_FALSE(window.PositionText().isEmpty());
  EXPECT_TRUE(keys.Installed());
}

TEST_F(QtWindow, ReturnAndEscNeverCloseAndTheGuideHoldsTheLatestAnnouncement) {
  Key(Qt::Key_Return);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());
  Key(Qt::Key_Alt);  // menu mode, category 1
  EXPECT_TRUE(dialog->InMenuMode());
  EXPECT_EQ(window.GuideText(), QString::fromUtf8("ファイル操作"));
  EXPECT_EQ(speech.spoken.back(), "ファイル操作");
  Key(Qt::Key_Escape);  // leaves menu mode with silence
  EXPECT_FALSE(dialog->InMenuMode());
  EXPECT_TRUE(window.GuideText().isEmpty());
  EXPECT_TRUE(window.isVisible());
}

TEST_F(QtWindow, TestButtonSpeaksWithoutTouchingTheGuide) {
  const QString before = window.GuideText();
  QTest::mouseClick(window.TestButton(), Qt::LeftButton);
  EXPECT_EQ(speech.spoken.back(), "あいうえお");
  EXPECT_EQ(window.GuideText(), before);
}

TEST_F(QtWindow, SliderMovesReachTheVoiceButTheCoreSettingThemDoesNot) {
  const std::size_t spokenBefore = speech.spoken.size();
  window.RateSlider()->setValue(4);
  EXPECT_EQ(speech.rate, 4);
  window.SetSliderPosition(Slider::kRate, -3);  // as the settings do at start-up
  EXPECT_EQ(speech.rate, 4);
  EXPECT_EQ(speech.spoken.size(), spokenBefore);
}

TEST_F(QtWindow, CtrlQAnnouncesWaitsAndClosesThroughShutdown) {
  Key(Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(speech.spoken.back(), "終了します。");
  EXPECT_TRUE(window.isVisible());  // the pause holds nothing
  clock.Advance(4000);
  ProcessEvents();
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(dialog->ShutDown());
  EXPECT_TRUE(fs::exists(dir / "setup.ini"));
}

TEST_F(QtWindow, TheQuitPauseIgnoresAutoRepeatAndANewPressCancelsIt) {
  Key(Qt::Key_Q, Qt::ControlModifier);
  ASSERT_EQ(speech.spoken.back(), "終了します。");
  // The held Q repeats: not a new press.
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, QString(), true);
  QCoreApplication::sendEvent(window.windowHandle(), &repeat);
  ProcessEvents();
  EXPECT_EQ(speech.spoken.back(), "終了します。");
  EXPECT_TRUE(dialog->QuitPending());
  Key(Qt::Key_Escape);
  EXPECT_EQ(speech.spoken.back(), "終了を取り消しました。");
  clock.Advance(4000);
  ProcessEvents();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(dialog->ShutDown());
}

TEST_F(QtWindow, OkClosesThroughShutdownWithoutAnAnnouncement) {
  const std::size_t spoken = speech.spoken.size();
  QTest::mouseClick(window.OkButton(), Qt::LeftButton);
  ProcessEvents();
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(dialog->ShutDown());
  EXPECT_EQ(speech.spoken.size(), spoken);
  EXPECT_EQ(clock.TotalSlept(), 0);
}

TEST_F(QtWindow, PostedMessagesArriveOnTheUiThreadInOrder) {
  std::vector<int> seen;
  std::thread::id uiThread = std::this_thread::get_id();
  bool onUi = true;
  post.SetHandler([&](int m) {
    seen.push_back(m);
    onUi = onUi && std::this_thread::get_id() == uiThread;
    dialog->OnPosted(m);
  });
  std::thread t([&] {
    post.Post(kMsgPlaybackEnded);
    post.Post(kMsgVelocityTooLow);
  });
  t.join();
  ProcessEvents();
  EXPECT_EQ(seen, (std::vector<int>{kMsgPlaybackEnded, kMsgVelocityTooLow}));
  EXPECT_TRUE(onUi);
  EXPECT_EQ(window.GuideText(), QString::fromUtf8("ベロシティの値が低すぎます。"));
}

// Runs FN on the first application-modal widget once it is up.
template <typename Fn>
void WhenModalAppears(Fn fn) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [fn, poll]() mutable {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      fn(modal);
      return;
    }
    QTimer::singleShot(10, *poll);
  };
  QTimer::singleShot(0, *poll);
}

TEST(QtMessageBox, BoxFromAnotherThreadShowsOnTheUiThreadAndTakesTheKeys) {
  CQtMainWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  CQtKeySource keys(&window);
  RecordingSink sink;
  keys.Install(&sink);
  FakeSpeech voice;
  CQtMessageBox box(&window);
  box.SetVoice(&voice);
  QString shownText;
  WhenModalAppears([&](QWidget* modal) {
    auto* mb = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(mb, nullptr);
    shownText = mb->text();
    // Keys now go to the box, not to the command layer; Return answers it.
    QTest::keyClick(modal->windowHandle(), Qt::Key_Return);
  });
  std::atomic<int> result{0};
  std::thread reporter([&] { result = box.Show("GENE01000002 メモリが不足しています。"); });
  while (result.load() == 0) QApplication::processEvents(QEventLoop::AllEvents, 10);
  reporter.join();
  EXPECT_EQ(result.load(), 1);
  EXPECT_EQ(shownText, QString::fromUtf8("GENE01000002 メモリが不足しています。"));
  EXPECT_TRUE(sink.strokes.empty());
  ASSERT_FALSE(voice.spoken.empty());
  EXPECT_EQ(voice.spoken.back(), "GENE01000002 メモリが不足しています。");
}

TEST(QtAboutBox, TitleTextAndOk) {
  CQtMainWindow window;
  QString title, text;
  WhenModalAppears([&](QWidget* modal) {
    auto* mb = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(mb, nullptr);
    title = mb->windowTitle();
    text = mb->text();
    QTest::keyClick(modal->windowHandle(), Qt::Key_Return);
  });
  window.ShowAbout();
  EXPECT_EQ(title, QString::fromUtf8("Zentoryのﾊﾞｰｼﾞｮﾝ情報"));
  EXPECT_EQ(text, QString("Zentory Version 1.0"));
}

TEST(QtTextInput, KeepsTheFirst254BytesAndCancelGivesNothing) {
  CQtMainWindow window;
  CQtDialogs dialogs(&window);
  WhenModalAppears([](QWidget* modal) {
    auto* d = qobject_cast<CTextInputDialog*>(modal);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), QString::fromUtf8("テキスト入力"));
    // The field is named, on the screen and for a screen reader.
    auto* label = d->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->buddy(), d->Edit());
    EXPECT_EQ(d->Edit()->accessibleName(), label->text());
    d->Edit()->setText(QString(300, u'x'));
    QTest::keyClick(d->Edit(), Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.TextInput(), std::string(254, 'x'));

  WhenModalAppears([](QWidget* modal) {
    auto* d = qobject_cast<CTextInputDialog*>(modal);
    ASSERT_NE(d, nullptr);
    // Two CP932 bytes per kana: 127 of them fill the limit.
    d->Edit()->setText(QString(200, QChar(0x3042)));
    QTest::keyClick(d->Edit(), Qt::Key_Return);
  });
  std::string kana = dialogs.TextInput();
  EXPECT_EQ(kana.size(), 127u * 3);

  WhenModalAppears([](QWidget* modal) {
    auto* d = qobject_cast<CTextInputDialog*>(modal);
    ASSERT_NE(d, nullptr);
    d->Edit()->setText("abc");
    QTest::keyClick(d->Edit(), Qt::Key_Escape);
  });
  EXPECT_EQ(dialogs.TextInput(), "");
}

TEST(QtJapaneseTexts, DialogButtonsAreJapaneseOnceLoaded) {
  std::string missing;
  auto japanese = LoadJapaneseQtTexts(missing);
  if (!japanese) GTEST_SKIP() << missing;
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                           QDialogButtonBox::Open);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text(), QString::fromUtf8("開く"));
  QCoreApplication::removeTranslator(japanese.get());
}

TEST(QtFileFilter, WindowsFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter("MIDI (*.mid)|*.mid;*.midi|All|*.*||"),
            QString("MIDI (*.mid);;All (*.*)"));
  EXPECT_EQ(QtFileFilter("MIDI files (*.mid)"), QString("MIDI files (*.mid)"));
}

}  // namespace
}  // namespace zentory
