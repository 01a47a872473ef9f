// The screen-reader voice against a fake of the loaded UiaRaiseNotificationEvent: every
// announcement is one "most recent" notification of the window, and a failing call is reported
// once.
#include "platform/win32/uia_speech.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentory {
namespace {

struct RaisedNotification {
  IRawElementProviderSimple* provider;
  int kind;
  int processing;
  std::wstring text;
  std::wstring activity;
};
std::vector<RaisedNotification> g_raised;
HRESULT g_result = S_OK;

HRESULT WINAPI FakeRaise(IRawElementProviderSimple* provider, int kind, int processing, BSTR text,
                         BSTR activity) {
  g_raised.push_back({provider, kind, processing, std::wstring(text, SysStringLen(text)),
                      std::wstring(activity, SysStringLen(activity))});
  return g_result;
}

class UiaSpeech : public ::testing::Test {
 protected:
  void SetUp() override {
    g_raised.clear();
    g_result = S_OK;
  }
  // Never called through: the fake only passes the pointer on.
  IRawElementProviderSimple* const provider_ = nullptr;
};

TEST_F(UiaSpeech, EachAnnouncementIsOneMostRecentNotification) {
  CUiaSpeech speech(&FakeRaise, provider_);
  speech.Speak("曲を新規作成しました。小節[1] 拍[1] 節[1]");
  speech.Speak("");  // nothing to hand on: a screen reader cannot be silenced from here
  speech.Speak("終了します。");
  ASSERT_EQ(g_raised.size(), 2u);
  EXPECT_EQ(g_raised[0].text, L"曲を新規作成しました。小節[1] 拍[1] 節[1]");
  EXPECT_EQ(g_raised[1].text, L"終了します。");
  for (const auto& n : g_raised) {
    EXPECT_EQ(n.kind, kUiaNotificationKindOther);
    EXPECT_EQ(n.processing, kUiaNotificationProcessingMostRecent);
    EXPECT_EQ(n.activity, L"Zentory.Announcement");
    EXPECT_EQ(n.provider, provider_);
  }
}

TEST_F(UiaSpeech, SettingsOfTheWindowNeverRaiseBoxes) {
  // The window asks every voice for its rate and volume; a box per start would be a fault.
  CUiaSpeech speech(&FakeRaise, provider_);
  EXPECT_TRUE(speech.Voices().empty());
  EXPECT_EQ(speech.CurrentVoice(), -1);
  EXPECT_TRUE(speech.SelectVoice(-1));
  EXPECT_TRUE(speech.SetRate(4));
  EXPECT_EQ(speech.Rate(), 4);
  EXPECT_TRUE(speech.SetVolume(130));
  EXPECT_EQ(speech.Volume(), 100);
  EXPECT_TRUE(g_raised.empty());
}

TEST_F(UiaSpeech, AFailingNotificationIsReportedOnce) {
  std::vector<std::string> failures;
  CUiaSpeech speech(&FakeRaise, provider_, [&](const std::string& f) { failures.push_back(f); });
  g_result = E_FAIL;
  speech.Speak("一");
  speech.Speak("二");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("0x80004005"), std::string::npos);
  EXPECT_EQ(g_raised.size(), 2u);  // each text is still offered
}

}  // namespace
}  // namespace zentory
