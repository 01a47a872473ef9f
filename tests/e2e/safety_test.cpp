// Nothing the user makes is lost: the guards on unsaved changes, the quit pause that can be taken
// back, and the undo history beside the one-level Ctrl+Z.
#include <gtest/gtest.h>

#include "edit/undo_history.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

using Notes = std::vector<std::vector<std::int64_t>>;

class Safety : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void Keys(std::string_view names) { h.Keys(names); }
  std::string Last() const { return h.Last(); }
  std::string Path(const char* name) const { return h.temp.File(name); }
  void Wait(std::int64_t ms) {
    h.clock.Advance(ms);
    h.post.Drain([this](int m) { h.dialog->OnPosted(m); });
  }

  test_support::DialogHarness h;
};

constexpr const char* kQuitWarning =
    "保存されていない変更があります。保存せずに終了するには、もう一度コントロール "
    "Qを押してください。";

TEST_F(Safety, QuitNewAndLoadAskTwiceWhileTheSongIsChanged) {
  Keys("C Return Ctrl+Q");
  EXPECT_EQ(Last(), kQuitWarning);
  Wait(10001);  // too late: the next press warns again
  EXPECT_EQ(h.view.closed, 0);
  Keys("Ctrl+Q");
  EXPECT_EQ(Last(), kQuitWarning);
  // A change in between asks again too.
  Keys("D Return Ctrl+Q");
  EXPECT_EQ(Last(), kQuitWarning);
  Wait(9000);
  Keys("Ctrl+Q");
  EXPECT_EQ(Last(), "終了します。");
  Wait(4000);
  EXPECT_EQ(h.view.closed, 1);
}

TEST_F(Safety, NewSongAndLoadWarnThenGoOn) {
  Keys("C Return Ctrl+N");
  EXPECT_EQ(Last(),
            "保存されていない変更があります。保存せずに新しい曲にするには、もう一度コントロール "
            "Nを押してください。");
  EXPECT_EQ(h.Notes(1).size(), 1u);
  // Another guarded command in between starts its own question.
  Keys("Ctrl+O");
  EXPECT_EQ(
      Last(),
      "保存されていない変更があります。保存せずにファイルを読み込むには、もう一度コントロール "
      "Oを押してください。");
  Keys("Ctrl+N");
  EXPECT_EQ(h.Notes(1).size(), 1u);
  Keys("Ctrl+N");
  EXPECT_EQ(Last(), "曲を新規作成しました。小節[1] 拍[1] 節[1]");
  EXPECT_TRUE(h.Notes(1).empty());
  // The new song is unchanged: no question.
  Keys("Ctrl+N");
  EXPECT_EQ(Last(), "曲を新規作成しました。小節[1] 拍[1] 節[1]");
}

TEST_F(Safety, FileStatusFollowsChangesSavesAndUndo) {
  Keys("Ctrl+Shift+L");
  EXPECT_EQ(Last(), "新しい曲 保存済み");
  Keys("C Return Ctrl+Shift+L");
  EXPECT_EQ(Last(), "新しい曲 保存されていない変更があります");
  h.dialogs.answers.push_back(Path("tune.mid"));
  Keys("Ctrl+S Ctrl+Shift+L");
  EXPECT_EQ(Last(), "tune.mid 保存済み");
  // Saving is not a change, and undo back to the saved song is saved again.
  Keys("D Return Ctrl+Shift+L");
  EXPECT_EQ(Last(), "tune.mid 保存されていない変更があります");
  Keys("Ctrl+Z Ctrl+Shift+L");
  EXPECT_EQ(Last(), "tune.mid 保存済み");
  // An unchanged song quits at the first press; a key that changes nothing keeps it unchanged.
  Keys("L 8 Ctrl+Q");
  EXPECT_EQ(Last(), "終了します。");
}

TEST_F(Safety, AnyNewKeyDuringTheQuitPauseCancelsItButRepeatsDoNot) {
  Keys("Ctrl+Q");
  EXPECT_EQ(Last(), "終了します。");
  Wait(2000);
  // The held Ctrl's repeats neither confirm nor cancel.
  h.dialog->Hook().OnKeyRepeat(0x11, 1, 0, 0);
  EXPECT_EQ(Last(), "終了します。");
  Keys("Escape");
  EXPECT_EQ(Last(), "終了を取り消しました。");
  Wait(4000);
  EXPECT_EQ(h.view.closed, 0);
  // The cancelling key did nothing else; the next one works again.
  Keys("Escape");
  EXPECT_EQ(Last(), "入力クリア");
  Keys("Ctrl+Q");
  Wait(3000);
  h.dialog->Hook().OnKeyRepeat('Q', 1, 0, 0);
  Wait(1000);
  EXPECT_EQ(h.view.closed, 1);
}

TEST_F(Safety, HistoryGoesBackAndForwardThroughMoreThanAHundredSteps) {
  constexpr int kSteps = 120;
  for (int i = 0; i < kSteps; ++i) Keys("C Return");
  ASSERT_EQ(h.Notes(1).size(), static_cast<std::size_t>(kSteps));
  for (int i = 1; i <= kSteps; ++i) {
    Keys("Ctrl+Shift+Z");
    ASSERT_EQ(Last(), "前のデータに戻しました。ノートの入力");
    ASSERT_EQ(h.Notes(1).size(), static_cast<std::size_t>(kSteps - i));
  }
  Keys("Ctrl+Shift+Z");
  EXPECT_EQ(Last(), "前のデータがありません。");
  for (int i = 1; i <= kSteps; ++i) {
    Keys("Ctrl+Y");
    ASSERT_EQ(Last(), "やり直しました。ノートの入力");
    ASSERT_EQ(h.Notes(1).size(), static_cast<std::size_t>(i));
  }
  Keys("Ctrl+Y");
  EXPECT_EQ(Last(), "やり直すデータがありません。");
}

TEST_F(Safety, CtrlZKeepsItsMeaningAndTheHistoryFollowsIt) {
  Keys("C Return D Return");
  Keys("Ctrl+Z");
  EXPECT_EQ(Last(), "前のデータに戻しました。");
  EXPECT_EQ(h.Notes(1).size(), 1u);
  Keys("Ctrl+Z");  // the same song again
  EXPECT_EQ(h.Notes(1).size(), 1u);
  Keys("Ctrl+Y");  // redoes what Ctrl+Z undid
  EXPECT_EQ(Last(), "やり直しました。ノートの入力");
  EXPECT_EQ(h.Notes(1).size(), 2u);
  Keys("Ctrl+Z Ctrl+Shift+Z");  // and further back from there
  EXPECT_TRUE(h.Notes(1).empty());
  // A new change drops the steps that could be redone.
  Keys("E Return Ctrl+Y");
  EXPECT_EQ(Last(), "やり直すデータがありません。");
  EXPECT_EQ(h.Notes(1).size(), 1u);
}

TEST_F(Safety, ANewSongByMistakeIsUndoneWithItsChannelsAndEndTick) {
  Keys("Ctrl+W C 1 Return Right Right Right C Return");  // track 1 on channel 2
  const Notes before = h.Notes(1);
  const std::int64_t endTick = h.dialog->Position().endTick;
  Keys("Ctrl+N Ctrl+N C Return");
  EXPECT_EQ(h.dialog->Channels()[1], 0);
  Keys("Ctrl+Shift+Z");
  EXPECT_EQ(Last(), "前のデータに戻しました。ノートの入力");
  Keys("Ctrl+Shift+Z");
  EXPECT_EQ(Last(), "前のデータに戻しました。曲の新規作成");
  EXPECT_EQ(h.Notes(1), before);
  EXPECT_EQ(h.dialog->Channels()[1], 1);
  EXPECT_EQ(h.dialog->Position().endTick, endTick);
  Keys("Ctrl+Shift+Z");
  EXPECT_EQ(Last(), "前のデータに戻しました。ノートの入力");
  Keys("Ctrl+Shift+Z Ctrl+Shift+Z");
  EXPECT_EQ(Last(), "前のデータに戻しました。チャネル番号を１つ増加");
  EXPECT_EQ(h.dialog->Channels()[1], 0);
}

TEST(UndoHistory, TheByteBoundDropsTheOldestStepsAndKeepsTheNewest) {
  auto track = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  track->Events().resize(1000);
  CMidi1Data song;
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  tracks.push_back(std::move(track));
  song.SetTracks(std::move(tracks));
  const std::size_t perStep = TrackBytes(*song.Track(0));
  CUndoHistory history(200, perStep * 3 + perStep / 2);
  for (std::uint64_t i = 0; i < 10; ++i) {
    history.Record(SongState{song, {}, 0, i}, "x");
    song.Track(0)->Events()[0].delta = static_cast<std::int32_t>(i);  // copies the shared track
  }
  // Three old tracks fit the bound; the fourth is the newest step's, which shares nothing yet
  // when it is recorded.
  EXPECT_GE(history.BackSteps(), 3u);
  EXPECT_LT(history.BackSteps(), 10u);
  // Checked as each step is recorded: the newest may pass it by one track copy.
  EXPECT_LE(history.HeldBytes(song), perStep * 3 + perStep / 2 + TrackBytes(*song.Track(0)));
  // The count bound.
  CUndoHistory counted(5);
  for (std::uint64_t i = 0; i < 9; ++i) counted.Record(SongState{song, {}, 0, i}, "x");
  EXPECT_EQ(counted.BackSteps(), 5u);
  EXPECT_EQ(counted.HeldBytes(song), 0u);  // every step shares the song's one track
}

}  // namespace
}  // namespace zentory
