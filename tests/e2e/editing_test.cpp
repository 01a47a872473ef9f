// Note entry, MML entry, navigation and undo, driven through the main window as a user types.
#include <gtest/gtest.h>

#include "support/dialog_harness.h"

namespace zentory {
namespace {

using Notes = std::vector<std::vector<std::int64_t>>;

class Editing : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void Keys(std::string_view names) { h.Keys(names); }
  std::string Last() const { return h.Last(); }
  std::int64_t Tick() { return h.dialog->Position().tick; }
  Notes TrackNotes(int index = 1) { return h.Notes(index); }

  test_support::DialogHarness h;
};

TEST_F(Editing, StartAnnouncesTheNewSongAndChordsInsertOnReturn) {
  EXPECT_EQ(h.speech.spoken.front(), "曲を新規作成しました。小節[1] 拍[1] 節[1]");
  Keys("C");
  EXPECT_EQ(Last(), "C");
  Keys("E G Return");
  EXPECT_EQ(Last(), "小節[1] 拍[2] 節[1]");
  EXPECT_EQ(TrackNotes(), (Notes{{0, 60, 422, 127}, {0, 64, 422, 127}, {0, 67, 422, 127}}));
  EXPECT_EQ(Tick(), 480);
  EXPECT_EQ(h.view.positionField, "小節[1] 拍[2] チック[000]");
}

TEST_F(Editing, MmlNoteValuesTiesDotsAndPerNoteValues) {
  Keys("C 4 ^ 8 Return");  // a quarter tied to an eighth; the step is the whole tied value
  EXPECT_EQ(TrackNotes().back(), (std::vector<std::int64_t>{0, 60, 633, 127}));
  EXPECT_EQ(Tick(), 720);
  Keys("C 8 . Return");
  EXPECT_EQ(TrackNotes().back(), (std::vector<std::int64_t>{720, 60, 316, 127}));
  EXPECT_EQ(Tick(), 1080);
  Keys("C 4 , 5 0 Return");
  EXPECT_EQ(TrackNotes().back(), (std::vector<std::int64_t>{1080, 60, 240, 127}));
  Keys("L 8 C Return");
  EXPECT_EQ(TrackNotes().back(), (std::vector<std::int64_t>{1560, 60, 211, 127}));
  EXPECT_EQ(Tick(), 1800);
  Keys("L 4 Return L 8 Return");  // L committed before the step is taken
  EXPECT_EQ(Tick(), 1800 + 480 + 240);
  Keys("L .");
  EXPECT_EQ(h.Session().Entry().noteValue, 360);  // dotted L with no digits: L * 1.5
  Keys("L 0 Return L 5 Return");
  EXPECT_EQ(h.Session().Entry().noteValue, 360);
  EXPECT_EQ(Last(), "小節[2] 拍[3] 節[4]");
  // Per-note gate, velocity and timing; empty fields keep the defaults.
  Keys("L 4 Home D , , 1 0 0 Return");
  EXPECT_EQ(TrackNotes()[1], (std::vector<std::int64_t>{0, 62, 422, 100}));
  // Semitones, octave up, and a sharp typed with Shift held (Shift's own key-down commits nothing).
  Keys("Home C VK_10 Shift+; - - Shift+. Return");
  EXPECT_EQ(h.Session().Entry().octave, 6);
  EXPECT_EQ(TrackNotes()[2][1], 59);
}

TEST_F(Editing, TiesStepByTheWholeTiedValue) {
  // A half tied to an eighth, the tie itself dotted, and a tie of a tie: the next note starts
  // when the tied one ends, and the gate keeps Q of each piece.
  Keys("D 2 ^ 8 Return E Return");
  EXPECT_EQ(TrackNotes()[0], (std::vector<std::int64_t>{0, 62, 844 + 211, 127}));
  EXPECT_EQ(TrackNotes()[1][0], 1200);
  Keys("Home Delete C ^ 8 ^ 1 6 Return");
  EXPECT_EQ(Tick(), 480 + 240 + 120);
  Keys("Home Delete C ^ 8 . Return");
  EXPECT_EQ(Tick(), 480 + 360);
  Keys("Home Delete C 4 ^ 8 , 5 0 Return");  // a per-note gate takes its share of the whole
  EXPECT_EQ(TrackNotes()[0], (std::vector<std::int64_t>{0, 60, 360, 127}));
}

TEST_F(Editing, RestsMoveWithoutEntering) {
  Keys("R");
  EXPECT_EQ(Last(), "休符");
  Keys("8");
  EXPECT_EQ(Last(), "8");
  Keys("Return");
  EXPECT_EQ(Tick(), 240);
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[3]");
  EXPECT_TRUE(TrackNotes().empty());
  Keys("R Return");  // no value typed: L
  EXPECT_EQ(Tick(), 720);
  Keys("Home R 4 . Return");
  EXPECT_EQ(Tick(), 720);
  Keys("Home R 4 ^ 1 6 Return");
  EXPECT_EQ(Tick(), 600);
  Keys("Home R 4 , ");
  EXPECT_EQ(Last(), "入力ミス");
  // A note letter after R drops the rest: the chord steps by its own value.
  Keys("Escape Home R 2 C 8 E Return");
  EXPECT_EQ(TrackNotes(), (Notes{{0, 60, 211, 127}, {0, 64, 422, 127}}));
  EXPECT_EQ(Tick(), 480);
  // A chord typed before R goes in and the rest follows it; a command drops a rest.
  Keys("Home G 4 R 8 Return");
  EXPECT_EQ(TrackNotes().back(), (std::vector<std::int64_t>{0, 67, 422, 127}));
  EXPECT_EQ(Tick(), 720);
  Keys("R 1 Down");
  EXPECT_EQ(Tick(), 960);
  Keys("Return");
  EXPECT_EQ(Tick(), 1440);
  EXPECT_EQ(TrackNotes().size(), 3u);
  // On the rhythm channel R stays the ride cymbal.
  Keys("Ctrl+F10 Home R Return");
  EXPECT_EQ(TrackNotes(10), (Notes{{0, 51, 60, 127}}));
}

TEST_F(Editing, NotesOutsideTheMidiRangeAreRefusedAloud) {
  Keys("O 1 1 C");
  EXPECT_EQ(Last(), "C 音域外です。");
  Keys("4 Return");
  EXPECT_TRUE(TrackNotes().empty());
  // Digits after a refused letter leave the chord typed before it alone.
  Keys("Home O 1 0 G B 1 6 Return");
  EXPECT_EQ(Last(), "小節[1] 拍[2] 節[1]");
  EXPECT_EQ(TrackNotes(), (Notes{{0, 127, 422, 127}}));
  Keys("O 1 1 R C 8 Return");  // the refused letter drops the rest too: L
  EXPECT_EQ(Tick(), 960);
}

TEST_F(Editing, ParameterLettersClampAndReadOut) {
  Keys("Q 2 Return V 2 0 0 Return T - 1 5 Return O 6 Return @ 2 4 Return");
  Keys("Ctrl+D");
  EXPECT_EQ(Last(), "O値[6] V値[127] L値[480] Q値[5] T値[-15]");
  EXPECT_EQ(h.Track(1).Event(0).value, 24);
  Keys("Q 5 0 0 Return T Return Ctrl+D");
  EXPECT_EQ(Last(), "O値[6] V値[127] L値[480] Q値[300] T値[0]");
  // A low velocity is answered after the key's own answer.
  Keys("V 1 0 Return");
  EXPECT_EQ(Last(), "ベロシティの値が低すぎます。");
  EXPECT_EQ(h.speech.spoken[h.speech.spoken.size() - 2], "小節[3] 拍[1] 節[1]");
  Keys("V Return V 0 Return Ctrl+D");  // no digits keep V; a typed 0 becomes 1
  EXPECT_EQ(Last(), "O値[6] V値[1] L値[480] Q値[300] T値[0]");
  Keys("@ 2 0 0 Return");  // outside the programs: 0
  EXPECT_EQ(h.Track(1).Event(0).value, 0);
  Keys("Escape");
  EXPECT_EQ(Last(), "入力クリア");
  Keys("- . ^ ,");
  EXPECT_EQ(Last(), "入力ミス");
}

TEST_F(Editing, NoNoteIsInsertedWithoutLengthOrVelocity) {
  Keys("C , 0 , 0 Return");  // typed zeros are raised to the smallest audible values
  EXPECT_EQ(TrackNotes().back(), (std::vector<std::int64_t>{0, 60, 4, 1}));
  Keys("Home E , , 9 9 9 Return");  // a per-note velocity beyond a byte is clamped on insertion
  EXPECT_EQ(TrackNotes()[1], (std::vector<std::int64_t>{0, 64, 422, 127}));
  Keys("Shift+1 - 9 9 9 G Return");
  // An accent can only lower the next note to the quietest velocity, never to silence.
  EXPECT_EQ(TrackNotes().back()[3], 1);
  // Digits beyond any range saturate: the octave leaves the keyboard and the letter adds nothing.
  Keys("O 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 Return C Return");
  EXPECT_EQ(Last(), "小節[2] 拍[1] 節[1]");
  EXPECT_EQ(TrackNotes().size(), 3u);
}

TEST_F(Editing, TimingSpreadsAChordAndPendingNotesLandBeforeACommand) {
  Keys("T 1 0 Shift+Return C E Shift+Return");
  EXPECT_EQ(TrackNotes(), (Notes{{10, 60, 422, 127}, {20, 64, 422, 127}}));
  EXPECT_EQ(Tick(), 0);  // Shift+Return does not move
  Keys("T - 1 0 Return Home G A Right");
  EXPECT_EQ(TrackNotes()[0], (std::vector<std::int64_t>{0, 67, 422, 127}));
  EXPECT_EQ(TrackNotes()[1], (std::vector<std::int64_t>{0, 69, 422, 127}));
  EXPECT_EQ(Tick(), 1920);  // the arrow's own move follows the insertion
}

TEST_F(Editing, DrumLettersOnTheRhythmChannel) {
  Keys("Ctrl+F10");
  h.midi.Clear();
  Keys("Shift+H");
  EXPECT_EQ(Last(), "H");
  EXPECT_EQ(h.Sent(), (std::vector<std::vector<std::uint8_t>>{{0x99, 46, 127}}));
  h.clock.Advance(60);
  EXPECT_EQ(h.Sent().back(), (std::vector<std::uint8_t>{0x89, 46, 0}));
  Keys("E");  // not a drum letter: the key goes on to the command table
  EXPECT_EQ(Last(), "H");
  Keys("Return");
  EXPECT_EQ(h.Notes(10), (Notes{{0, 46, 60, 127}}));
  EXPECT_EQ(Tick(), 480);
}

TEST_F(Editing, KeyboardModePlaysTheHomeRow) {
  Keys("Ctrl+I");
  EXPECT_EQ(Last(), "キーボード入力モードに切り替えました。");
  Keys("F Return");
  EXPECT_EQ(TrackNotes(), (Notes{{0, 60, 422, 127}}));
  EXPECT_EQ(Tick(), 480);
  Keys("F H K Return");
  EXPECT_EQ(TrackNotes().size(), 4u);
  EXPECT_EQ(Tick(), 960);
  Keys("1");  // other keys are echoed and reach the command table
  EXPECT_EQ(Last(), "1");
  Keys("VK_10 VK_11");  // modifier key-downs echo nothing
  EXPECT_EQ(Last(), "1");
}

TEST_F(Editing, TracksWithoutAChannelTakeNoNotes) {
  Keys("Ctrl+Shift+F12");
  h.midi.Clear();
  Keys("C");
  EXPECT_EQ(Last(), "チャネルのないトラックには音符と音色を入力できません。");
  Keys("@ 5 Return Ctrl+I F Return");
  EXPECT_TRUE(h.Sent().empty());
  EXPECT_TRUE(h.Notes(0).empty());
}

TEST_F(Editing, PreviewsSoundEnteredNotesAndTheNotesAtANewPosition) {
  h.midi.Clear();
  Keys("C");
  EXPECT_EQ(h.Sent(), (std::vector<std::vector<std::uint8_t>>{{0x90, 60, 127}}));
  h.clock.Advance(421);
  EXPECT_EQ(h.Sent().size(), 1u);
  h.clock.Advance(1);
  EXPECT_EQ(h.Sent().back(), (std::vector<std::uint8_t>{0x80, 60, 0}));
  Keys("E G Return Home");
  h.clock.Advance(500);
  h.midi.Clear();
  Keys("Right Left");  // back at the chord: all three sound for 500 ms
  EXPECT_EQ(h.Sent().size(), 3u);
  h.clock.Advance(500);
  EXPECT_EQ(h.Sent().size(), 6u);
  EXPECT_EQ(h.clock.PendingTimers(), 0u);
}

TEST_F(Editing, UndoRestoresTheSongBeforeEachKindOfChange) {
  Keys("Ctrl+Z");
  EXPECT_EQ(Last(), "前のデータがありません。");
  // Keys that change nothing take no snapshot, so they cannot wipe the undo of a deletion.
  Keys("C Return Left Delete");
  EXPECT_TRUE(TrackNotes().empty());
  Keys("Escape O 5 L Return Ctrl+Z");
  EXPECT_EQ(Last(), "前のデータに戻しました。");
  EXPECT_EQ(TrackNotes().size(), 1u);
  const auto once = h.Track(1).EventCount();
  Keys("Ctrl+Z");  // the slot keeps its copy
  EXPECT_EQ(h.Track(1).EventCount(), once);

  Keys("Ctrl+A Ctrl+A");
  EXPECT_EQ(h.dialog->TrackCount(), 19);
  Keys("Ctrl+Z");
  EXPECT_EQ(h.dialog->TrackCount(), 18);
  EXPECT_EQ(h.dialog->Position().track, 17);
  EXPECT_EQ(h.dialog->Channels()[18], kMasterChannel);

  Keys("Ctrl+F3 Ctrl+Shift+A Ctrl+Z");  // deleting track 3 comes back with its channel
  EXPECT_EQ(h.dialog->Channels()[3], 2);
  EXPECT_EQ(h.dialog->Channels()[4], 3);

  Keys("Ctrl+N Ctrl+Z");
  EXPECT_EQ(TrackNotes().size(), 1u);
  EXPECT_EQ(h.dialog->TrackCount(), 18);

  // @ changes the track's program: undoable on its own.
  Keys("@ 3 3 Return Ctrl+Z");
  EXPECT_EQ(h.Track(1).Event(0).value, 0);
}

TEST_F(Editing, DeleteRemovesWhatWasAnnounced) {
  Keys("C E Return");
  Keys("Delete");
  EXPECT_EQ(Last(), "削除");  // nothing at 480, said all the same
  Keys("Home Ctrl+Down");
  EXPECT_EQ(Last().rfind("小節[1] 拍[1] 節[1] ", 0), 0u);
  for (int i = 0; i < 7; ++i) Keys("Ctrl+Down");  // past the setup events to the first note
  ASSERT_EQ(h.dialog->Position().eventIndex, 7);
  ASSERT_EQ(h.Track(1).Event(7).key, 60);
  Keys("Delete");
  EXPECT_EQ(TrackNotes(), (Notes{{0, 64, 422, 127}}));
  EXPECT_EQ(h.dialog->Position().eventIndex, -1);
  Keys("Delete");  // no current event: the notes at the tick go
  EXPECT_TRUE(TrackNotes().empty());
  Keys("End Ctrl+Down Delete");
  EXPECT_EQ(Last(), "最後のイベントは削除できません。");
}

TEST_F(Editing, BarBeatAndGridSteps) {
  Keys("Right");
  EXPECT_EQ(Tick(), 1920);
  Keys("Left Left Up Shift+Left Shift+Up");
  EXPECT_EQ(Tick(), 0);
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1]");
  h.dialog->Position().tick = 500;
  Keys("Right");
  EXPECT_EQ(Tick(), 1920);
  h.dialog->Position().tick = 480;
  Keys("Right");
  EXPECT_EQ(Tick(), 2400);
  h.dialog->Position().tick = 250;
  Keys("Shift+Right");
  EXPECT_EQ(Tick(), 480);
  h.dialog->Position().tick = 250;
  Keys("Shift+Left");
  EXPECT_EQ(Tick(), 0);
  Keys("Down Shift+Down");
  EXPECT_EQ(Tick(), 600);
  Keys("End");
  EXPECT_EQ(Tick(), 1920);
  Keys("Home");
  EXPECT_EQ(Tick(), 0);
}

TEST_F(Editing, BarStepsFollowOddAndCutTimeSignatures) {
  CEditPosition& pos = h.dialog->Position();
  pos.timeSignatures = {{2, 1, 0}, {5, 3, 1920}, {7, 4, 1920 + 1200}};
  const std::int64_t lines[] = {1920, 1920 + 1200, 1920 + 1200 + 840, 1920 + 1200 + 1680};
  for (std::int64_t line : lines) {
    Keys("Right");
    EXPECT_EQ(Tick(), line);
    EXPECT_EQ(Last().rfind("小節[", 0), 0u);
    EXPECT_NE(Last().find("拍[1] 節[1]"), std::string::npos) << Last();
  }
  for (int i = 3; i >= 0; --i) {
    Keys("Left");
    EXPECT_EQ(Tick(), i == 0 ? 0 : lines[i - 1]);
  }
  Keys("Down");  // a beat step is a quarter note in any signature
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[5]");
}

TEST_F(Editing, BarsFollowTimeSignaturesPastedOrDeletedInTheMasterTrack) {
  using Marks = std::vector<std::vector<std::int64_t>>;
  auto marks = [this] {
    Marks out;
    for (const TimeSignature& t : h.dialog->Position().timeSignatures) {
      out.push_back({t.numerator, t.denominatorPower, t.startTick});
    }
    return out;
  };
  const std::uint8_t threeFour[] = {3, 2, 24, 8};
  h.dialog->Song()->Track(0)->InsertEventAtTime(
      1920, MakeMetaEvent(0, ev::kMetaTimeSignature, threeFour), CMidiTrack::kAfter);
  // The bar holding the 3/4 is copied (with the 4/4 in force at its start) and pasted.
  Keys("Ctrl+Shift+F12 Right Ctrl+M Right Ctrl+Shift+M Ctrl+C Right Ctrl+V");
  EXPECT_EQ(Tick(), 5760);
  EXPECT_EQ(marks(), (Marks{{4, 2, 0}, {3, 2, 1920}, {4, 2, 5760}, {3, 2, 5760}}));
  Keys("Home Right Right");
  EXPECT_EQ(Tick(), 1920 + 1440);
  // Deleting a signature event takes it out of the bar arithmetic at once.
  h.dialog->Position().tick = 5760;
  Keys("Ctrl+Down");
  ASSERT_TRUE(h.Track(0).Event(h.dialog->Position().eventIndex).IsMeta(ev::kMetaTimeSignature));
  Keys("Delete");
  EXPECT_EQ(Last(), "削除");
  EXPECT_EQ(marks(), (Marks{{4, 2, 0}, {3, 2, 1920}, {3, 2, 5760}}));
  Keys("Right");
  EXPECT_EQ(Tick(), 5760 + 1440);
}

TEST_F(Editing, EventStepsAndTickSteps) {
  Keys("Ctrl+Down");
  EXPECT_EQ(h.dialog->Position().eventIndex, 0);
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1] プログラムチェンジ 1");
  Keys("Ctrl+Down");
  EXPECT_EQ(h.dialog->Position().eventIndex, 1);
  // The same-kind step on the only program change comes round to it again.
  Keys("Ctrl+Up Ctrl+Shift+Right");
  EXPECT_EQ(h.dialog->Position().eventIndex, 0);
  // Same kind and command: volume (7) to volume, past the other controllers.
  Keys("Ctrl+Down Ctrl+Shift+Down");
  EXPECT_EQ(h.dialog->Position().eventIndex, 1);
  Keys("Ctrl+Shift+Right");
  EXPECT_EQ(h.dialog->Position().eventIndex, 2);
  Keys("Ctrl+Right");
  EXPECT_EQ(Tick(), 1920);  // the end of the track
  Keys("Ctrl+Left");
  EXPECT_EQ(Tick(), 0);
  Keys("End Ctrl+Alt+Left");
  EXPECT_EQ(Tick(), 1910);
  h.dialog->Position().tick = 1917;
  Keys("Ctrl+Alt+Right");
  EXPECT_EQ(Tick(), 1920);
  h.dialog->Position().tick = 3840;  // past the end by bar steps: a tick step lands on the end
  Keys("Ctrl+Alt+Down");
  EXPECT_EQ(Tick(), 1920);
  h.dialog->Position().tick = 3840;
  Keys("Ctrl+Alt+Left");
  EXPECT_EQ(Tick(), 1920);
}

TEST_F(Editing, MarkerSteps) {
  Keys("PageDown");
  EXPECT_EQ(Tick(), 1920);
  EXPECT_EQ(Last(), "小節[2] 拍[1] 節[1] マーカーが見つかりませんでした。");
  CMidiTrack& master = *h.dialog->Song()->Track(0);
  master.InsertMetaTextAtTime(0, ev::kMetaMarker, "intro");
  master.InsertMetaTextAtTime(960, ev::kMetaMarker, "A");
  Keys("Home PageUp");
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1] intro");
  Keys("PageDown");
  EXPECT_EQ(Tick(), 960);
  EXPECT_EQ(Last(), "小節[1] 拍[3] 節[1] A");
  Keys("End PageUp");  // markers only before the position: the last of them
  EXPECT_EQ(Tick(), 960);
  EXPECT_EQ(Last(), "小節[1] 拍[3] 節[1] A");
  Keys("PageUp");
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1] intro");
}

}  // namespace
}  // namespace zentory
