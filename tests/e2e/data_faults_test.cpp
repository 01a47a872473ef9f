// Typed values past what a file can hold, parameter letters without digits, a track added on a
// channel that has its program elsewhere, the 65th pending note, and a voiceless run's settings:
// none of them may lose or move what the user made.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "song/load_song.h"
#include "song/smf_writer.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

using Notes = std::vector<std::vector<std::int64_t>>;

class DataFaults : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void Keys(std::string_view names) { h.Keys(names); }
  std::string Last() const { return h.Last(); }
  std::string Path(const char* name) const { return h.temp.File(name); }
  void SaveAndLoad(const char* name) {
    h.dialogs.answers.push_back(Path(name));
    Keys("Ctrl+S");
    ASSERT_EQ(Last(), Path(name));
    h.dialogs.answers.push_back(Path(name));
    Keys("Ctrl+O");
    ASSERT_EQ(Last(), Path(name));
  }

  test_support::DialogHarness h;
};

TEST_F(DataFaults, TimingAndGateDigitsStopAtWhatAFileCanHold) {
  // The last tick a file read back can hold is 268435455; a note of 422 ticks ends there.
  Keys("T 2 6 8 4 3 5 0 3 4");
  EXPECT_EQ(Last(), "入力ミス");
  Keys("3");
  EXPECT_EQ(Last(), "3");
  Keys("D Return");
  EXPECT_EQ(h.Notes(1), (Notes{{268435033, 62, 422, 127}}));
  // A per-note gate of a quarter note's 500000000 percent would end past it.
  Keys("T 0 C , 5 0 0 0 0 0 0 0");
  EXPECT_EQ(Last(), "0");
  Keys("0");
  EXPECT_EQ(Last(), "入力ミス");
  Keys("Return");
  SaveAndLoad("far.mid");
  EXPECT_EQ(h.Notes(1), (Notes{{480, 60, 240000000, 127}, {268435033, 62, 422, 127}}));
  EXPECT_TRUE(h.box.Boxes().empty());
}

TEST_F(DataFaults, ThePositionStopsWhereAFileEndsAndLaterNotesAreRefused) {
  h.dialog->Position().tick = kLastSongTick - 1000;
  for (int i = 0; i < 3; ++i) Keys("Right");  // bars far past: the position stops at the last tick
  EXPECT_EQ(h.dialog->Position().tick, kLastSongTick);
  // A note there would end past it: refused rather than moved by the save.
  Keys("C Return");
  EXPECT_EQ(Last(), "入力ミス");
  EXPECT_TRUE(h.Notes(1).empty());
  h.dialog->Position().tick = kLastSongTick - 422;
  Keys("C Return");
  SaveAndLoad("edge.mid");
  EXPECT_EQ(h.Notes(1), (Notes{{kLastSongTick - 422, 60, 422, 127}}));
  EXPECT_TRUE(h.box.Boxes().empty());
}

TEST_F(DataFaults, ParameterLettersWithoutDigitsCommitNothing) {
  Keys("@ 5 Return");  // program 5 on channel 1
  Keys("@ Return O C Return Q Return N Return");
  EXPECT_EQ(h.Notes(1), (Notes{{960, 60, 422, 127}}));  // octave 5 kept, gate 88% kept
  EXPECT_EQ(ProgramInEffect(*h.dialog->Song(), h.dialog->Channels(), 0, 0), 5);
}

TEST_F(DataFaults, TheSixtyFifthPendingNoteIsAMistake) {
  for (int i = 0; i < 64; ++i) Keys("C");
  EXPECT_EQ(Last(), "C");
  Keys("E");
  EXPECT_EQ(Last(), "入力ミス");
  EXPECT_EQ(h.Session().Entry().pending.size(), 64u);
  Keys("Shift+Return");
  EXPECT_EQ(h.Notes(1).size(), 64u);
  Keys("Ctrl+I");  // keyboard mode says the same
  for (int i = 0; i < 64; ++i) Keys("A");
  EXPECT_EQ(Last(), "A");
  Keys("S");
  EXPECT_EQ(Last(), "入力ミス");
  Keys("Return");
  EXPECT_EQ(h.Notes(1).size(), 128u);
}

TEST_F(DataFaults, AnAddedTrackKeepsItsChannelThroughSaveAndLoad) {
  // Sixteen channel tracks: the seventeenth goes on channel 1, whose program is in track 1.
  Keys("Ctrl+A C Return");
  ASSERT_EQ(h.dialog->Channels()[17], 0);
  const CMidiTrack& added = h.Track(17);
  int prefixes = 0, programs = 0;
  for (const CMusicEvent& e : added.Events()) {
    prefixes += e.IsMeta(ev::kMetaChannelPrefix);
    programs += e.status == ev::kProgramChange;
  }
  EXPECT_EQ(prefixes, 1);
  EXPECT_EQ(programs, 0);
  SaveAndLoad("added.mid");
  EXPECT_EQ(h.dialog->Channels()[17], 0);
  Keys("Ctrl+F1 Ctrl+F1 Ctrl+F1");  // track 1 -> 17 -> 1 ... the channel has both tracks
  // A channel-less track naming its channel by prefix alone takes notes after the load.
  CMidiTrack bare(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  const std::uint8_t five[] = {4};
  bare.AppendMeta(0, ev::kMetaChannelPrefix, five);
  bare.AppendEndOfTrack(0);
  EXPECT_EQ(EditorChannelOf(bare), 4);
  const std::uint8_t bad[] = {16};
  CMidiTrack wrong(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  wrong.AppendMeta(0, ev::kMetaChannelPrefix, bad);
  EXPECT_EQ(EditorChannelOf(wrong), ev::kNoChannel);
}

TEST(SpeechVolume, AVoicelessRunKeepsTheVolumeAndAVoiceIsNeverSilentAtStart) {
  test_support::DialogHarness h;
  h.withVoice = false;
  h.view.SetSliderRange(Slider::kVolume, 0, 100, 10);
  h.view.SetSliderPosition(Slider::kVolume, 0);  // an untouched slider of a voiceless window
  h.Start();
  h.dialog->Shutdown();
  const std::string ini = h.temp.File("setup.ini");
  EXPECT_EQ(LoadSettings(ini, 0, 0).speechVolume, 100);

  SettingsBlock silent = LoadSettings(ini, 0, 0);
  silent.speechVolume = 0;
  ASSERT_TRUE(SaveSettings(ini, silent));
  h.withVoice = true;
  h.speech.spoken.clear();
  h.Start();
  EXPECT_EQ(h.speech.spoken.front(),
            "曲を新規作成しました。小節[1] 拍[1] 節[1] 音声の音量が0だったので100にしました。");
  EXPECT_EQ(h.view.SliderPosition(Slider::kVolume), 100);
  h.dialog->Shutdown();
  EXPECT_EQ(LoadSettings(ini, 0, 0).speechVolume, 100);
}

}  // namespace
}  // namespace zentory
