// Musical readings: events, keyboard-mode notes, the transposition and typed values as a
// musician names them; off, every reading stays the standard one.
#include "edit/musical_reading.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/dialog_harness.h"

namespace zentory {
namespace {

class MusicalReading : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start();
    h.Session().SetMusicalReadings(true);
  }
  void Keys(std::string_view names) { h.Keys(names); }
  std::string Last() const { return h.Last(); }
  // The readings of the edit target's events, stepped through from the head.
  std::vector<std::string> Events() {
    std::vector<std::string> out;
    Keys("Home");
    for (int i = 0; i < 64; ++i) {
      Keys("Ctrl+Down");
      if (!out.empty() && out.back() == Last()) break;
      out.push_back(Last());
    }
    return out;
  }
  // True when one of the edit target's events reads TEXT.
  ::testing::AssertionResult Reads(std::string_view text) {
    const auto all = Events();
    if (std::find(all.begin(), all.end(), text) != all.end()) return ::testing::AssertionSuccess();
    std::string listed;
    for (const std::string& reading : all) listed += "\n  " + reading;
    return ::testing::AssertionFailure() << "no event reads " << text << " among:" << listed;
  }

  test_support::DialogHarness h;
};

TEST_F(MusicalReading, NotesByNameValueAndVelocity) {
  Keys("O 5 G Return");  // L4 at Q 88: gate 422
  EXPECT_TRUE(Reads("小節[1] 拍[1] 節[1] ノート G5 4分 ベロシティ127"));
  Keys("Home Right C Shift+; 4 . Return");
  EXPECT_TRUE(Reads("小節[2] 拍[1] 節[1] ノート C#5 付点4分 ベロシティ127"));
  // A gate of its own that no note value gives is read in ticks.
  Keys("Home Right Right C 4 , 3 7 Return");
  EXPECT_TRUE(Reads("小節[3] 拍[1] 節[1] ノート C5 177ティック ベロシティ127"));
  h.Session().SetMusicalReadings(false);
  EXPECT_TRUE(Reads("小節[3] 拍[1] 節[1] ノート 60 177 127"));
  EXPECT_TRUE(Reads("小節[1] 拍[1] 節[1] ノート 67 422 127"));
}

TEST_F(MusicalReading, KeyTimeSignatureTempoAndOffAgain) {
  Keys("Ctrl+K F Shift+3 M Return");
  Keys("Ctrl+Shift+F12");
  EXPECT_TRUE(Reads("小節[1] 拍[1] 節[1] 調号 F#m"));
  EXPECT_TRUE(Reads("小節[1] 拍[1] 節[1] 拍子 4分の4"));
  h.Session().SetMusicalReadings(false);
  EXPECT_TRUE(Reads("小節[1] 拍[1] 節[1] 調号"));
  EXPECT_TRUE(Reads("小節[1] 拍[1] 節[1] 拍子"));
}

TEST_F(MusicalReading, PanBendAndProgramInTheValuesTheUserTypes) {
  Keys("Home Right Ctrl+Shift+P 3 0 Return");
  EXPECT_EQ(Last(), "パンポットを30にしました。");
  Keys("Home Right Right Ctrl+Shift+P - 1 0 0 Return");
  Keys("Home Right Right Right Ctrl+P 2 0 0 Return");
  Keys("Home Right Right Right Right Right Ctrl+P - 1 0 0 Return");
  EXPECT_TRUE(Reads("小節[2] 拍[1] 節[1] パン 30"));
  EXPECT_TRUE(Reads("小節[3] 拍[1] 節[1] パン -100"));
  EXPECT_TRUE(Reads("小節[4] 拍[1] 節[1] ピッチベンド 200"));
  EXPECT_TRUE(Reads("小節[6] 拍[1] 節[1] ピッチベンド -100"));
  EXPECT_TRUE(Reads("小節[1] 拍[1] 節[1] プログラムチェンジ 1 ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ"));
  EXPECT_TRUE(Reads("小節[1] 拍[1] 節[1] パン 0"));
}

TEST_F(MusicalReading, KeyboardTranspositionAndTypedValuesAreEchoed) {
  Keys("Ctrl+I");
  Keys("A");
  EXPECT_EQ(Last(), "G4");
  Keys("Ctrl+I Home Ctrl+Shift+M Right Ctrl+M Ctrl+NumMinus");
  EXPECT_EQ(Last(), "開始位置と終了位置を入れ替えました。範囲内の音を半音下げました。");
  Keys("Ctrl+NumPlus");
  EXPECT_EQ(Last(), "範囲内の音を半音上げました。");

  Keys("Ctrl+T 1");
  EXPECT_EQ(Last(), "1");
  Keys("2 5 Backspace");
  EXPECT_EQ(Last(), "12");
  Keys("Backspace Backspace");
  EXPECT_EQ(Last(), "入力クリア");
  Keys("Escape Ctrl+K B Shift+B");
  EXPECT_EQ(Last(), "フラット");
  Keys("M");
  EXPECT_EQ(Last(), "マイナー");
  Keys("Backspace");
  EXPECT_EQ(Last(), "Bb");
  Keys("Escape");

  h.Session().SetMusicalReadings(false);
  Keys("Ctrl+T 1");
  EXPECT_EQ(Last(), "テンポの値を入力してリターンキーを押してください。");
  Keys("Escape");
}

TEST(MusicalValues, PanAndBendReadBackAsTyped) {
  // Every controller value reads as a typed pan that stores it, the farthest from 0 of them.
  for (int value = 0; value <= 127; ++value) {
    EXPECT_EQ(PanControllerValue(PanFromController(value)), value) << value;
  }
  EXPECT_EQ(PanFromController(127), 100);
  EXPECT_EQ(PanFromController(0), -100);
  EXPECT_EQ(PanFromController(64), 0);
  // A bend stored from typed cents reads back as those cents, at the common sensitivities.
  for (int sensitivity : {1, 2, 12}) {
    for (int cents = -100 * sensitivity; cents <= 100 * sensitivity; ++cents) {
      const int b = static_cast<int>(8191.5 / sensitivity * 0.01 * cents);
      ASSERT_EQ(CentsFromBend(b + 8192, sensitivity), cents) << sensitivity << " " << cents;
    }
  }
  EXPECT_EQ(CentsFromBend(16383, 0), 200);  // no sensitivity set: the 2 a typed bend adds
}

TEST(MusicalValues, NoteNamesAndValues) {
  EXPECT_EQ(NoteName(60), "C5");
  EXPECT_EQ(NoteName(61), "C#5");
  EXPECT_EQ(NoteName(0), "C0");
  EXPECT_EQ(NoteName(127), "G10");
  EXPECT_EQ(NoteValueName(422, 480, 88), "4分");
  EXPECT_EQ(NoteValueName(633, 480, 88), "付点4分");
  EXPECT_EQ(NoteValueName(1920, 480, 88), "全");
  EXPECT_EQ(NoteValueName(160, 480, 88), "12分");  // an eighth-note triplet at Q 100
  EXPECT_EQ(NoteValueName(96, 96, 50), "4分");
  EXPECT_EQ(NoteValueName(500, 480, 88), std::nullopt);
  EXPECT_EQ(NoteValueName(0, 480, 88), std::nullopt);
}

}  // namespace
}  // namespace zentory

namespace zentory {
namespace {

TEST(SettingKeys, MusicalReadingsSwitchAndAreKeptInOurOwnFile) {
  test_support::DialogHarness h;
  h.Start();
  h.Keys("Ctrl+Alt+R");
  EXPECT_EQ(h.Last(), "音楽的な読み方にしました。");
  h.Keys("Ctrl+I A");
  EXPECT_EQ(h.Last(), "G4");
  h.dialog->Shutdown();
  const std::string ini = h.temp.File("zentory.ini");
  ASSERT_TRUE(std::filesystem::exists(ini));

  // The next start reads it back; switching off is kept too.
  h.Start();
  h.Keys("A");
  EXPECT_EQ(h.Last(), "G4");
  h.Keys("Ctrl+Alt+R");
  EXPECT_EQ(h.Last(), "標準の読み方にしました。");
  h.Keys("A");
  EXPECT_EQ(h.Last(), "A");
  h.dialog->Shutdown();
  h.Start();
  EXPECT_FALSE(h.Session().MusicalReadings());
}

TEST(SettingKeys, RateVolumeAndVoiceFromTheKeyboard) {
  test_support::DialogHarness h;
  h.speech.voiceNames = {"Fake Japanese", "Fake English"};
  h.Start();
  h.Keys("Ctrl+Alt+PageUp");
  EXPECT_EQ(h.Last(), "話す速さ[1]");
  EXPECT_EQ(h.speech.rate, 1);
  EXPECT_EQ(h.view.SliderPosition(Slider::kRate), 1);
  for (int i = 0; i < 12; ++i) h.Keys("Ctrl+Alt+PageUp");
  EXPECT_EQ(h.Last(), "話す速さ[10]");
  h.Keys("Ctrl+Shift+PageDown");
  EXPECT_EQ(h.Last(), "音声の音量[90]");
  EXPECT_EQ(h.speech.volume, 90);
  EXPECT_EQ(h.view.SliderPosition(Slider::kVolume), 90);

  // Value entry keeps its keys: the speech keys do nothing there.
  h.Keys("Ctrl+T Ctrl+Alt+PageDown");
  EXPECT_EQ(h.speech.rate, 10);
  h.Keys("Escape");

  h.Keys("Ctrl+Alt+Home");
  EXPECT_EQ(h.Last(), "Fake English");
  EXPECT_EQ(h.speech.current, 1);
  EXPECT_EQ(h.view.SelectedVoice(), 1);
  h.dialog->Shutdown();
  // Rate and volume live in setup.ini, the voice in our own file: the next start has them all.
  h.speech.rate = 0;
  h.speech.volume = 100;
  h.speech.current = 0;
  h.Start();
  EXPECT_EQ(h.speech.rate, 10);
  EXPECT_EQ(h.speech.volume, 90);
  EXPECT_EQ(h.speech.current, 1);
  h.Keys("Ctrl+Alt+Home");
  EXPECT_EQ(h.Last(), "Fake Japanese");
}

TEST(SettingKeys, WithoutAVoiceOnlyTheStoredValuesChange) {
  test_support::DialogHarness h;
  h.withVoice = false;
  h.Start();
  h.Keys("Ctrl+Alt+PageDown Ctrl+Shift+PageUp");
  EXPECT_EQ(h.view.SliderPosition(Slider::kRate), -1);
  h.Keys("Ctrl+Alt+Home");
  EXPECT_EQ(h.view.guide, "切り替えられる音声がありません。");
  h.dialog->Shutdown();
  EXPECT_EQ(h.dialog->Settings().speechRate, -1);
}

}  // namespace
}  // namespace zentory
