// Loading, saving, markers, track and channel steps and the play commands, through the window.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/general.h"
#include "base/text_codec.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;
using Notes = std::vector<std::vector<std::int64_t>>;

class FilePlay : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void Keys(std::string_view names) { h.Keys(names); }
  std::string Last() const { return h.Last(); }
  std::string Path(const char* name) const { return h.temp.File(name); }

  test_support::DialogHarness h;
};

TEST_F(FilePlay, SaveAndLoadGiveTheSongBack) {
  Keys("C E G Return D 8 Return Ctrl+F3 O 4 A 2 Return");
  const Notes one = h.Notes(1), three = h.Notes(3);
  h.dialogs.answers.push_back(Path("song.mid"));
  Keys("Ctrl+S");
  EXPECT_EQ(Last(), Path("song.mid"));
  EXPECT_EQ(h.dialogs.extensions.back(), "mid");
  Keys("Ctrl+N");
  EXPECT_TRUE(h.Notes(1).empty());
  h.dialogs.answers.push_back(Path("song.mid"));
  Keys("Ctrl+O");
  EXPECT_EQ(Last(), Path("song.mid"));
  EXPECT_EQ(h.Notes(1), one);
  EXPECT_EQ(h.Notes(3), three);
  EXPECT_EQ(h.dialog->Position().track, 1);
  EXPECT_EQ(h.dialog->Channels()[3], 2);
  // The load can be undone: the new song comes back.
  Keys("Ctrl+Z");
  EXPECT_TRUE(h.Notes(1).empty());
}

TEST_F(FilePlay, CancelledAndFailedFilesChangeNothing) {
  Keys("C Return");
  h.dialogs.answers.push_back(std::nullopt);
  Keys("Ctrl+O");
  EXPECT_EQ(Last(),
            "保存されていない変更があります。保存せずにファイルを読み込むには、もう一度コントロール"
            " Oを押してください。");
  Keys("Ctrl+O");
  EXPECT_EQ(Last(), "ファイルを読み込みませんでした。");
  // A file that is not a song: reported by the reader, the song in memory stays.
  ASSERT_TRUE(WriteWholeFile(Path("junk.mid"), std::vector<std::uint8_t>{'n', 'o', 't'}));
  h.dialogs.answers.push_back(Path("junk.mid"));
  Keys("Ctrl+O Ctrl+O");
  EXPECT_EQ(Last(), "ファイルを読み込みませんでした。");
  EXPECT_EQ(h.Notes(1).size(), 1u);
  Keys("Ctrl+Z");
  EXPECT_EQ(Last(), "前のデータに戻しました。");
  EXPECT_TRUE(h.Notes(1).empty());  // the slot still holds the song before the C

  h.dialogs.answers.push_back(std::nullopt);
  Keys("Ctrl+S");
  EXPECT_EQ(Last(), "ファイルを保存しませんでした。");
  h.dialogs.answers.push_back(Path("no/such/folder/x.mid"));
  Keys("Ctrl+S");
  EXPECT_EQ(Last(), "ファイルを保存しませんでした。");
}

TEST_F(FilePlay, MarkersAreInsertedAndFound) {
  h.dialogs.answers.push_back("");
  Keys("Ctrl+Alt+M");
  EXPECT_EQ(Last(), "マーカーを挿入しませんでした。");
  Keys("Ctrl+Z");
  EXPECT_EQ(Last(), "前のデータがありません。");  // a cancelled marker takes no snapshot
  h.dialogs.answers.push_back("サビ");
  Keys("Right Right Ctrl+Alt+M");
  EXPECT_EQ(Last(), "小節[3] 拍[1] 節[1]にマーカー「サビ」を挿入しました。");
  EXPECT_EQ(h.dialog->Position().endTick, 3840);
  Keys("Home PageDown");
  EXPECT_EQ(Last(), "小節[3] 拍[1] 節[1] サビ");
  // An emoji has no CP932 form: the announcement says what was stored, and that it changed.
  h.dialogs.answers.push_back(
      "サビ\xF0\x9F\x8E\xB8"
      "2");
  Keys("Ctrl+Alt+M");
  EXPECT_EQ(Last(),
            "小節[3] 拍[1] 節[1]にマーカー「サビ?2」を挿入しました。"
            "保存できない文字は疑問符に置き換えました。");
  std::vector<std::string> markers;
  for (const CMusicEvent& e : h.Track(0).Events()) {
    if (e.IsMeta(ev::kMetaMarker)) {
      markers.push_back(Cp932ToUtf8(
          std::string_view(reinterpret_cast<const char*>(e.Data().data()), e.DataLength())));
    }
  }
  EXPECT_EQ(markers, (std::vector<std::string>{"サビ", "サビ?2"}));
}

TEST_F(FilePlay, TrackAndChannelSteps) {
  Keys("Ctrl+F");
  EXPECT_EQ(Last(), "トラック[2] チャネル[2] ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ");
  Keys("Ctrl+Shift+F Ctrl+Shift+F");
  EXPECT_EQ(h.dialog->Position().track, 16);
  Keys("Ctrl+F");
  EXPECT_EQ(h.dialog->Position().track, 1);
  // Channel 16 up wraps to 1; the track's program at the head merges with channel 1's.
  Keys("Ctrl+Shift+F Ctrl+W");
  EXPECT_EQ(Last(), "チャネル[1] 曲頭の音色設定を統合しました。");
  EXPECT_EQ(h.dialog->Channels()[16], 0);
  for (const CMusicEvent& e : h.Track(16).Events()) {
    if (e.status != ev::kMeta) {
      EXPECT_EQ(e.channel, 0);
    }
  }
  Keys("Ctrl+Z");  // the step can be undone with its channel
  EXPECT_EQ(h.dialog->Channels()[16], 15);
  Keys("Ctrl+Shift+F12 Ctrl+W");
  EXPECT_EQ(Last(), "マスタートラックにチャネルは指定できません。");
  // With every channel track gone, a track step says so and reads nothing.
  for (int i = 0; i < 16; ++i) Keys("Ctrl+F1 Ctrl+Shift+A");
  Keys("Ctrl+F");
  EXPECT_EQ(Last(), "マスタートラックが編集対象のトラックです。");
}

TEST_F(FilePlay, PlayKeysStartAndStopAndRangePlayNeedsMarks) {
  Keys("C Return");
  Keys("Ctrl+Alt+Space");
  EXPECT_EQ(Last(), "範囲が設定されていません。");
  Keys("Home Space");
  ASSERT_TRUE(h.dialog->PlaybackActive());
  EXPECT_EQ(h.dialog->MidiOut(), nullptr);  // the editor's device is closed during a play
  const std::int64_t keyMs = h.clock.NowMs();
  Keys("Space");
  EXPECT_EQ(Last(), "再生が終了しました。");
  EXPECT_LT(h.clock.NowMs() - keyMs, 150);  // the stop is answered at once
  EXPECT_FALSE(h.dialog->PlaybackActive());
  EXPECT_NE(h.dialog->MidiOut(), nullptr);
}

}  // namespace
}  // namespace zentory
