// Range marks, copy, paste, transpose and clear, typed as a user would.
#include <gtest/gtest.h>

#include "support/dialog_harness.h"

namespace zentory {
namespace {

using Notes = std::vector<std::vector<std::int64_t>>;

class Range : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void Keys(std::string_view names) { h.Keys(names); }
  std::string Last() const { return h.Last(); }
  // (tick, key, channel) of the notes of track INDEX.
  Notes KeysOf(int index) {
    Notes out;
    std::int64_t t = 0;
    for (const CMusicEvent& e : h.Track(index).Events()) {
      t += e.delta;
      if (e.status == ev::kNote) out.push_back({t, e.key, e.channel});
    }
    return out;
  }

  test_support::DialogHarness h;
};

TEST_F(Range, MarksAndTheirGuards) {
  Keys("Ctrl+C");
  EXPECT_EQ(Last(), "開始位置が設定されていません。");
  Keys("Ctrl+M Ctrl+Shift+M");
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1]は開始位置と同じなので終了位置として設定できません。");
  Keys("Ctrl+C");
  EXPECT_EQ(Last(), "終了位置が設定されていません。");
  Keys("Right Ctrl+M Home Ctrl+Shift+M");
  EXPECT_EQ(Last(),
            "小節[1] 拍[1] 節[1]は開始位置より前にあるので開始位置と終了位置を入れ替えました。");
  EXPECT_EQ(h.Session().RangeStart(), 0);
  EXPECT_EQ(h.Session().RangeEnd(), 1920);
  Keys("Ctrl+V");
  EXPECT_EQ(Last(), "コピーバッファにデータがありません。");
}

TEST_F(Range, TransposeWrapsByOctavesAndKeepsToTheRange) {
  // Key 127 and key 0 at tick 0, a C at 480, a D at the range end.
  Keys("N 1 2 7 , N 0 Shift+Return Down C Return End D Return");
  Keys("Home Ctrl+Shift+M Right Ctrl+M");  // end 0 first, then start 1920: reversed
  Keys("Ctrl+NumPlus");
  EXPECT_EQ(Last(), "開始位置と終了位置を入れ替えました。範囲内の音を変更しました。");
  EXPECT_EQ(KeysOf(1), (Notes{{0, 116, 0}, {0, 1, 0}, {480, 61, 0}, {1920, 62, 0}}));
  Keys("Ctrl+NumMinus Ctrl+NumMinus Ctrl+NumMinus");
  EXPECT_EQ(KeysOf(1), (Notes{{0, 113, 0}, {0, 10, 0}, {480, 58, 0}, {1920, 62, 0}}));
  Keys("Ctrl+Delete");
  EXPECT_EQ(Last(), "範囲内の音をクリアしました。");
  EXPECT_EQ(KeysOf(1), (Notes{{1920, 62, 0}}));
  Keys("Ctrl+Z");
  EXPECT_EQ(KeysOf(1).size(), 4u);
}

TEST_F(Range, CopyAndPasteRemapTheChannelAndNeverDoubleANote) {
  // A drum pattern on channel 10, copied and pasted into track 3 (channel 3), twice.
  Keys("Ctrl+F10 B H Return S H Return Home Ctrl+M Right Ctrl+Shift+M");
  Keys("Ctrl+C");
  EXPECT_EQ(
      Last(),
      "トラック10の小節[1] 拍[1] 節[1]から小節[2] 拍[1] 節[1]までをコピーバッファに入れました。");
  Keys("Ctrl+F3 Home Right Ctrl+V");
  EXPECT_EQ(Last(), "トラック3の小節[2] 拍[1] 節[1]にペーストしました。");
  const Notes once = {{1920, 35, 2}, {1920, 42, 2}, {2400, 38, 2}, {2400, 42, 2}};
  EXPECT_EQ(KeysOf(3), once);
  Keys("Ctrl+V");
  EXPECT_EQ(KeysOf(3), once);
  // The track's program change was not doubled by the setup events travelling with the copy.
  int programs = 0;
  for (const CMusicEvent& e : h.Track(3).Events()) programs += e.status == ev::kProgramChange;
  EXPECT_EQ(programs, 1);
  EXPECT_GE(h.dialog->Position().endTick, 2400);
}

TEST_F(Range, PasteLeavesReStruckNotesElsewhereAlone) {
  // Two overlapping Cs of the user's own at bar 3, a copied C pasted at bar 1.
  Keys("Right Right C 2 Shift+Return Down C 2 Return Home C Return");
  Keys("Home Ctrl+M Down Ctrl+Shift+M Ctrl+C Home Right Ctrl+V");
  const Notes want = {{0, 60, 0}, {1920, 60, 0}, {3840, 60, 0}, {4320, 60, 0}};
  EXPECT_EQ(KeysOf(1), want);
}

TEST_F(Range, ChannelLessTracksRefusePastedNotes) {
  Keys("C Return Home Ctrl+M Down Ctrl+Shift+M Ctrl+C Ctrl+Shift+F12 Ctrl+V");
  EXPECT_EQ(Last(), "チャネルのないトラックには音符と音色を入力できません。");
  EXPECT_TRUE(KeysOf(0).empty());
}

}  // namespace
}  // namespace zentory
