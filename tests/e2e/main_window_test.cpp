// The main window driven through the key source, as a user would, with every platform faked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "app/command_table.h"
#include "app/main_dialog.h"
#include "app/settings.h"
#include "base/error_report.h"
#include "base/general.h"
#include "base/ports/main_window_post.h"
#include "platform/fakes/fakes.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

constexpr int kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kReturn = 0x0D, kEsc = 0x1B,
              kAlt = 0x12, kF1 = 0x70;

class MainWindow : public ::testing::Test {
 protected:
  void TearDown() override { dialog.reset(); }

  Platform MakePlatform() { return h.MakePlatform(); }
  void Start() { h.Start(); }
  void Restart() {
    dialog->Shutdown();
    speech.spoken.clear();
    Start();
  }
  void Key(int key, int ctrl = 0, int shift = 0, int alt = 0) {
    keys.KeyDown(key, ctrl, shift, alt);
  }
  std::string Last() const { return h.Last(); }
  std::vector<std::uint8_t> FileBytes(const char* name) {
    std::ifstream in(dir / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteShortcutFile(const std::vector<KeyAssignment>& rows) {
    auto bytes = EncodeShortcutFile(rows);
    ASSERT_TRUE(WriteWholeFile((dir / "shortcut.dat").string(), bytes));
  }

  test_support::DialogHarness h;
  FakeMessageBox& box = h.box;
  FakeWindowView& view = h.view;
  FakeKeySource& keys = h.keys;
  FakeDialogs& dialogs = h.dialogs;
  FakeSpeech& speech = h.speech;
  FakeClock& clock = h.clock;
  FakeMainWindowPost& post = h.post;
  FakeMidiOutput& midi = h.midi;
  bool& withVoice = h.withVoice;
  fs::path dir = h.temp.Path();
  std::unique_ptr<CMainDialog>& dialog = h.dialog;
};

TEST_F(MainWindow, StartUpAnnouncesTheNewSongAndCreatesTheKeyFile) {
  Start();
  ASSERT_EQ(speech.spoken.size(), 1u);
  EXPECT_EQ(speech.spoken[0], "曲を新規作成しました。小節[1] 拍[1] 節[1]");
  EXPECT_EQ(view.guide, speech.spoken[0]);
  EXPECT_EQ(view.positionField, "小節[1] 拍[1] チック[000]");
  EXPECT_EQ(view.trackField, "トラック[1]");
  EXPECT_TRUE(keys.Installed());
  EXPECT_EQ(fs::file_size(dir / "shortcut.dat"), 28708u);
  EXPECT_TRUE(box.Boxes().empty());
  // The output follows channel 1: program 0, volume, bend range 2, pan centre.
  std::vector<std::vector<std::uint8_t>> sent;
  for (const auto& m : midi.Messages()) sent.push_back(m.bytes);
  std::vector<std::vector<std::uint8_t>> want{{0xC0, 0},      {0xB0, 7, 127}, {0xB0, 101, 0},
                                              {0xB0, 100, 0}, {0xB0, 6, 2},   {0xB0, 10, 64}};
  EXPECT_EQ(sent, want);
}

TEST_F(MainWindow, MenuModeEntersAndLeavesWithSilence) {
  Start();
  Key(kAlt, 0, 0, 1);
  EXPECT_EQ(Last(), "ファイル操作");
  EXPECT_TRUE(dialog->InMenuMode());
  EXPECT_TRUE(dialog->MenuSoundPlaying());
  Key(kAlt, 0, 0, 1);
  EXPECT_EQ(Last(), "");
  EXPECT_EQ(view.guide, "");
  EXPECT_FALSE(dialog->InMenuMode());
  EXPECT_FALSE(dialog->MenuSoundPlaying());

  Key(kAlt, 0, 0, 1);
  Key(kEsc);
  EXPECT_EQ(Last(), "");
  EXPECT_FALSE(dialog->InMenuMode());
  // Esc in edit mode belongs to MML entry.
  Key(kEsc);
  EXPECT_EQ(Last(), "入力クリア");
}

TEST_F(MainWindow, MenuNavigationWrapsAround) {
  Start();
  Key(kAlt, 0, 0, 1);
  Key(kLeft);
  EXPECT_EQ(Last(), "チャネル編集");
  Key(kUp);  // nothing selected: the last command
  EXPECT_EQ(Last(), "パンポットの入力 シフト コントロール P");
  Key(kDown);  // past the end: the first
  EXPECT_EQ(Last(), "指定チャネルを再生 シフト コントロール スペース");
  Key(kRight);
  EXPECT_EQ(Last(), "ファイル操作");
  Key(kDown);
  EXPECT_EQ(Last(), "曲の新規作成 コントロール N");
}

TEST_F(MainWindow, ReturnInMenuSelectsFirstThenRunsAndLeavesQuietly) {
  Start();
  Key(kAlt, 0, 0, 1);
  for (int i = 0; i < 5; ++i) Key(kRight);  // settings
  Key(kReturn);
  EXPECT_EQ(Last(), "鍵盤入力モードとMML入力モードの切り替え コントロール I");
  EXPECT_EQ(dialog->Settings().inputMode, 0);
  EXPECT_TRUE(dialog->InMenuMode());
  Key(kReturn);
  EXPECT_EQ(Last(), "キーボード入力モードに切り替えました。");
  EXPECT_EQ(dialog->Settings().inputMode, 1);
  EXPECT_FALSE(dialog->InMenuMode());
  EXPECT_FALSE(dialog->MenuSoundPlaying());
}

TEST_F(MainWindow, SettingCommandsAnnounceAndPersist) {
  Start();
  Key('R', 1);
  EXPECT_EQ(Last(), "チック単位読みを設定しました。");
  Key('L', 1);
  EXPECT_EQ(Last(), "小節[1] 拍[1] チック[000]");
  Key('R', 1, 1);
  EXPECT_EQ(Last(), "省略読みを設定しました。");
  Key('L', 1);
  EXPECT_EQ(Last(), "1 1 0");
  Key('R', 1);
  EXPECT_EQ(Last(), "１６分音符単位読み");
  Key('I', 1);
  EXPECT_EQ(Last(), "キーボード入力モードに切り替えました。");
  Key('I', 1);
  EXPECT_EQ(Last(), "MML入力モードに切り替えました。");
  Key('B', 1);
  EXPECT_EQ(Last(), "メニューの背景音をオフにしました。");
  Key('V', 1, 0, 1);
  EXPECT_EQ(Last(), "バージョン1.09");
  // Without the background sound, menu mode starts silently behind the voice.
  Key(kAlt, 0, 0, 1);
  EXPECT_FALSE(dialog->MenuSoundPlaying());
  Key(kEsc);

  view.SetSliderPosition(Slider::kRate, 3);
  Restart();
  EXPECT_EQ(speech.spoken.front(), "曲を新規作成しました。1 1 1");
  EXPECT_EQ(view.SliderPosition(Slider::kRate), 3);
  auto bytes = FileBytes("setup.ini");
  ASSERT_EQ(bytes.size(), 284u);
  EXPECT_EQ(LoadLe32(&bytes[0]), 3);
  EXPECT_EQ(LoadLe32(&bytes[16]), 1);  // abbreviated
  EXPECT_EQ(LoadLe32(&bytes[20]), 0);  // menu sound off
  EXPECT_EQ(LoadLe32(&bytes[36]), 120);
}

TEST_F(MainWindow, QuitAnnouncesWaitsAndClosesFromMenuMode) {
  Start();
  Key(kAlt, 0, 0, 1);
  Key(kUp);  // the added commands come last in their category
  EXPECT_EQ(Last(), "保存されなかった曲の復元 シフト コントロール O");
  Key(kUp);
  EXPECT_EQ(Last(), "ファイル名と保存状態の読み上げ シフト コントロール L");
  Key(kUp);
  EXPECT_EQ(Last(), "終了 コントロール Q");
  Key(kReturn);
  EXPECT_EQ(Last(), "終了します。");
  EXPECT_FALSE(dialog->InMenuMode());
  // The pause runs on the clock without holding the window.
  clock.Advance(3999);
  post.Drain([this](int m) { dialog->OnPosted(m); });
  EXPECT_EQ(view.closed, 0);
  clock.Advance(1);
  post.Drain([this](int m) { dialog->OnPosted(m); });
  EXPECT_EQ(view.closed, 1);
  dialog->Shutdown();
  EXPECT_EQ(clock.TotalSlept(), 0);
  EXPECT_EQ(fs::file_size(dir / "setup.ini"), 284u);
  EXPECT_FALSE(keys.KeyDown('L', 1));  // the hook is gone
}

TEST_F(MainWindow, ClosingInMenuModeStopsTheSoundAndStillSaves) {
  Start();
  Key(kAlt, 0, 0, 1);
  dialog->Shutdown();
  EXPECT_EQ(clock.TotalSlept(), 3000);
  EXPECT_FALSE(dialog->MenuSoundPlaying());
  EXPECT_EQ(fs::file_size(dir / "setup.ini"), 284u);
}

TEST_F(MainWindow, ShutdownWithoutStartLeavesTheSettingsFileAlone) {
  const std::vector<std::uint8_t> mine(284, 7);
  ASSERT_TRUE(WriteWholeFile((dir / "setup.ini").string(), mine));
  dialog = std::make_unique<CMainDialog>(MakePlatform());
  dialog.reset();
  EXPECT_EQ(FileBytes("setup.ini"), mine);
}

TEST_F(MainWindow, ChannelPlayStateAndEditTargetByChannel) {
  Start();
  Key(kF1 + 7, 0, 1);  // Shift+F8: channel 16
  EXPECT_EQ(Last(), "チャネル[16] オフ");
  Key(kF1 + 7, 0, 1);
  EXPECT_EQ(Last(), "チャネル[16] オン");
  Key(kF1 + 2);
  EXPECT_EQ(Last(), "チャネル[3] オフ");
  EXPECT_EQ(dialog->ChannelPlayState(2), 0);

  Key(kF1 + 2, 1);  // Ctrl+F3
  EXPECT_EQ(dialog->Position().track, 3);
  EXPECT_EQ(Last().rfind("トラック[3] チャネル[3] ", 0), 0u);
  EXPECT_EQ(view.trackField, "トラック[3]");
  Key(kF1 + 2, 1);  // the only track of channel 3 stays the target
  EXPECT_EQ(dialog->Position().track, 3);
  EXPECT_EQ(Last().rfind("トラック[3] チャネル[3] ", 0), 0u);

  // Two tracks on channel 1: the command steps through them in turn, wrapping past the end.
  dialog->Channels()[5] = 0;
  Key(kF1, 1);
  EXPECT_EQ(dialog->Position().track, 5);
  Key(kF1, 1);
  EXPECT_EQ(dialog->Position().track, 1);
  Key(kF1 + 4, 1);  // channel 5 lost its track
  EXPECT_EQ(Last(), "指定されたチャネルに割り当てられたトラックがありませんでした。");
  EXPECT_EQ(dialog->Position().track, 1);

  Key(0x7B, 1, 1);  // Ctrl+Shift+F12
  EXPECT_EQ(Last(), "マスタートラック");
  EXPECT_EQ(dialog->Position().track, 0);
  EXPECT_EQ(view.trackField, "トラック[0]");
}

TEST_F(MainWindow, NoteEntrySeesKeysFirstButNeverCtrlOrAltKeys) {
  Start();
  Key(0x65);  // keypad 5 arrives as the main 5, a digit of MML entry
  EXPECT_EQ(Last(), "5");
  Key('C');
  EXPECT_EQ(Last(), "C");
  Key('L', 1);  // Ctrl: a command only; it inserts the pending C first
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1]");
  EXPECT_EQ(dialog->Song()->Track(1)->NotesStartingAt(0), std::vector<std::int32_t>{60});
  Key(kF1);  // not a note key: the command runs
  EXPECT_EQ(Last(), "チャネル[1] オフ");
  EXPECT_EQ(dialog->ChannelPlayState(0), 0);
}

TEST_F(MainWindow, ShortcutFileReplacesTheKeysAndKeypadDigitsMatchIt) {
  WriteShortcutFile({{0x611, 1, 0, 0, 'V', ""}, {0x604, 1, 0, 0, '5', ""}});
  Start();
  Key('V', 1);
  EXPECT_EQ(Last(), "バージョン1.09");
  Key(0x65, 1);  // Ctrl + keypad 5
  EXPECT_EQ(Last(), "チック単位読みを設定しました。");
  auto before = speech.spoken.size();
  Key('N', 1);
  Key('V', 1, 0, 1);
  EXPECT_EQ(speech.spoken.size(), before);
  Key(kAlt, 0, 0, 1);
  Key(kDown);
  EXPECT_EQ(Last(), "曲の新規作成");
}

TEST_F(MainWindow, NewSongTracksAndTrackCommands) {
  Start();
  const CMidi1Data& song = *dialog->Song();
  ASSERT_EQ(song.TrackCount(), 17);
  // The rhythm channel's track has no program change; the others start with program 0.
  EXPECT_EQ(song.Track(10)->Event(0).status, ev::kControlChange);
  EXPECT_EQ(song.Track(11)->Event(0).status, ev::kProgramChange);
  EXPECT_EQ(song.Track(1)->GetLengthTicks(), 1920);

  midi.Clear();
  Key(kF1 + 9, 1);  // Ctrl+F10: the rhythm track, volume 127 and pan 64 in force
  EXPECT_EQ(Last(), "トラック[10] チャネル[10] ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ");
  std::vector<std::vector<std::uint8_t>> sent;
  for (const auto& m : midi.Messages()) sent.push_back(m.bytes);
  EXPECT_EQ(sent,
            (std::vector<std::vector<std::uint8_t>>{{0xC9, 0}, {0xB9, 7, 127}, {0xB9, 10, 64}}));

  Key('A', 1);
  EXPECT_EQ(Last(), "追加したトラック[17]の編集を行います。");
  EXPECT_EQ(dialog->Channels()[17], 0);
  Key('A', 1);
  EXPECT_EQ(dialog->Channels()[18], 1);
  Key('A', 1, 1);  // deletes track 18
  // What goes is named before what is left.
  EXPECT_EQ(
      Last(),
      "トラック[18] チャネル[2] ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ ノート0個を削除しました。"
      "マスタートラックを含めて、トラックの数が18になりました。トラック1が編集対象のトラックで"
      "す。");
  Key('A', 1, 1);  // deletes track 1: the later tracks and their channels move down
  EXPECT_EQ(dialog->Channels()[3], 3);
  EXPECT_EQ(song.TrackCount(), 17);
  for (int i = 0; i < 16; ++i) Key('A', 1, 1);
  EXPECT_EQ(Last(),
            "トラック[1] チャネル[1] ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ ノート0個を削除しました。"
            "マスタートラックが編集対象のトラックです。");
  EXPECT_EQ(dialog->Position().track, 0);
  Key('A', 1, 1);
  EXPECT_EQ(Last(), "マスタートラックは削除できません。");

  // The song holds at most 65 tracks.
  for (int i = 0; i < 70; ++i) Key('A', 1);
  EXPECT_EQ(song.TrackCount(), 65);
  EXPECT_EQ(Last(), "これ以上トラックを追加できません。");
  EXPECT_TRUE(box.Boxes().empty());
}

class RecordingDialogs : public IDialogs {
 public:
  explicit RecordingDialogs(FakeKeySource& keys) : keys_(keys) {}
  std::optional<std::string> OpenFile(std::string_view, std::string_view) override {
    hookDuringDialog = keys_.Installed();
    return std::nullopt;
  }
  std::optional<std::string> SaveFile(std::string_view, std::string_view) override {
    return "/tmp/x.mid";
  }
  std::string TextInput() override { return std::string(251, 'a') + "あいう"; }
  bool hookDuringDialog = true;

 private:
  FakeKeySource& keys_;
};

TEST_F(MainWindow, DialogsRunWithoutTheHookAndGiveItBack) {
  RecordingDialogs recording(keys);
  Platform p = MakePlatform();
  p.dialogs = &recording;
  dialog = std::make_unique<CMainDialog>(p);
  dialog->Start();
  EXPECT_FALSE(dialog->RunOpenFileDialog("mid", "").has_value());
  EXPECT_FALSE(recording.hookDuringDialog);
  EXPECT_EQ(Last(),
            "ファイルを読み込むダイアログを表示します。以降、ダイアログを閉じるまで音声案内は行わ"
            "れません。");
  Key(kAlt, 0, 0, 1);  // the main handler is back at once
  EXPECT_EQ(Last(), "ファイル操作");
  Key(kEsc);
  EXPECT_EQ(dialog->RunSaveFileDialog("mid", ""), "/tmp/x.mid");
  // 251 single bytes and three double-byte characters: cut at 254 bytes on a character boundary.
  EXPECT_EQ(dialog->RunTextInputDialog(), std::string(251, 'a') + "あ");
}

TEST_F(MainWindow, ValueEntryHandlersTakeKeysUntilRestored) {
  Start();
  std::vector<int> got;
  dialog->BeginValueEntry(
      [&](int key, int, int, int) {
        got.push_back(key);
        if (key == kReturn) dialog->RestoreMainKeyHandler();
      },
      "テンポ");
  EXPECT_EQ(Last(), "テンポ");
  Key('1');
  Key(kAlt, 0, 0, 1);
  Key(kReturn);
  EXPECT_EQ(got, (std::vector<int>{'1', kAlt, kReturn}));
  EXPECT_FALSE(dialog->InMenuMode());
  Key(kAlt, 0, 0, 1);
  EXPECT_TRUE(dialog->InMenuMode());
}

TEST_F(MainWindow, WindowEventsAndPostedMessages) {
  Start();
  std::string guide = view.guide;
  dialog->OnTestButton();
  EXPECT_EQ(Last(), "あいうえお");
  EXPECT_EQ(view.guide, guide);
  post.Post(kMsgVelocityTooLow);
  post.Drain([&](int m) { dialog->OnPosted(m); });
  EXPECT_EQ(Last(), "ベロシティの値が低すぎます。");
}

TEST_F(MainWindow, WithoutAVoiceTheTextsAreStillShownAndTheSettingsKept) {
  SettingsBlock stored;
  stored.speechRate = -5;
  stored.speechVolume = 40;
  ASSERT_TRUE(SaveSettings((dir / "setup.ini").string(), stored));
  withVoice = false;
  Start();
  // No voice was asked for, or the front end has already said why there is none: no box here.
  EXPECT_TRUE(box.Boxes().empty());
  EXPECT_EQ(view.guide, "曲を新規作成しました。小節[1] 拍[1] 節[1]");
  Key('V', 1, 0, 1);
  EXPECT_EQ(view.guide, "バージョン1.09");
  EXPECT_TRUE(box.Boxes().empty());
  dialog->Shutdown();
  auto bytes = FileBytes("setup.ini");
  EXPECT_EQ(LoadLe32(&bytes[0]), -5);
  EXPECT_EQ(LoadLe32(&bytes[4]), 40);
}

}  // namespace
}  // namespace zentory
