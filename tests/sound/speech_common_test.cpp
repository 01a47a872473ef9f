// The voice behind the main window's controls: with no voice nothing is shown in a box (the front
// end says why once), and the boxes it does show are sentences a listener understands.
#include "sound/speech_common.h"

#include <gtest/gtest.h>

#include "base/error_report.h"
#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

class SpeechCommonTest : public ::testing::Test {
 protected:
  FakeMessageBox boxes;
  ScopedMessageBoxTarget scope{&boxes};
  FakeWindowView view;
  FakeSpeech engine;
};

TEST_F(SpeechCommonTest, NoVoiceShowsNoBoxAndDoesNothing) {
  CSpeechCommon speech(nullptr, &view);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_FALSE(speech.HasVoice());
  EXPECT_EQ(view.formats.size(), 36u);  // the list is still there to look at
  speech.Speak("あ");
  speech.ChangeVolume(50);
  speech.ChangeRate(200);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SpeechCommonTest, ControlsFollowTheVoiceAndFailuresAreJapaneseSentences) {
  CSpeechCommon speech(&engine, &view);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(view.formatSelected, 22 - 4);  // 22 kHz 16-bit mono
  EXPECT_EQ(view.voices, engine.voiceNames);
  EXPECT_EQ(view.volume.max, 100);
  speech.ChangeVolume(40);
  EXPECT_EQ(engine.volume, 40);

  engine.failSetters = true;
  speech.ChangeRate(3);
  speech.ChangeVolume(3);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  for (const std::string& box : boxes.Boxes()) {
    EXPECT_EQ(box, CSpeechCommon::kChangeVolumeMsg);
    EXPECT_EQ(box.find("::"), std::string::npos);  // no program names in what the user hears
  }
}

TEST_F(SpeechCommonTest, AVoiceThatCannotTellItsRateGivesOneBox) {
  engine.rate.reset();
  CSpeechCommon speech(&engine, &view);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0], CSpeechCommon::kErrorMsg);
  EXPECT_EQ(boxes.Boxes()[0].find("::"), std::string::npos);
}

}  // namespace
}  // namespace zentory

namespace zentory {
namespace {

// An engine that knows a better first voice than the first row (SAPI's first Japanese voice).
class PreferringSpeech : public FakeSpeech {
 public:
  int preferred = 0;
  int PreferredVoice() override { return preferred; }
};

TEST(SpeechCommonVoiceList, TheEnginesPreferredRowIsSelectedAndAWrongOneIgnored) {
  FakeMessageBox boxes;
  ScopedMessageBoxTarget scope{&boxes};
  FakeWindowView view;
  PreferringSpeech engine;
  engine.voiceNames = {"English", "British", "日本語"};
  engine.current = -1;
  engine.preferred = 2;
  {
    CSpeechCommon speech(&engine, &view);
    EXPECT_EQ(view.voiceSelected, 2);
    EXPECT_EQ(engine.current, 2);  // the row shown is the voice that speaks
  }
  engine.current = -1;
  engine.preferred = 7;  // not a row: the first row, as without a preference
  {
    CSpeechCommon speech(&engine, &view);
    EXPECT_EQ(view.voiceSelected, 0);
    EXPECT_EQ(engine.current, 0);
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
}  // namespace zentory
