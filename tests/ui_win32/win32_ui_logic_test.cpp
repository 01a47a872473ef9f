// The Windows window's decisions: which keys the hook takes, the common dialogs' filter and
// extension, and the voice settings as SAPI takes them.
#include "ui/win32/win32_ui_logic.h"

#include <gtest/gtest.h>

#include <string>

namespace zentory::win32ui {
namespace {

using namespace std::string_literals;

TEST(HookRouting, MainWindowKeysAreDeliveredAndOthersPass) {
  // A press (bit 31 clear) goes to the sink; with bit 30 set it is the auto-repeat of a held
  // key, which must neither confirm nor cancel a quit.
  EXPECT_EQ(RouteHookKey(0, 0x001C0001u, true), HookAction::kDeliverDown);  // Return
  EXPECT_EQ(RouteHookKey(0, 0x401C0001u, true), HookAction::kDeliverRepeat);
  EXPECT_EQ(RouteHookKey(0, 0xC01C0001u, true), HookAction::kDeliverUp);
  // Codes the hook must not act on: negative, and a message only looked at.
  EXPECT_EQ(RouteHookKey(-1, 0x00010001u, true), HookAction::kPass);
  EXPECT_EQ(RouteHookKey(kHcNoRemove, 0x00010001u, true), HookAction::kPass);
  // A message box or dialog is active: its keys stay its own, so it can be answered.
  EXPECT_EQ(RouteHookKey(0, 0x00010001u, false), HookAction::kPass);
  EXPECT_EQ(RouteHookKey(0, 0x80010001u, false), HookAction::kPass);
}

TEST(CommonDialogFilter, BarsBecomeNulsAndAllFilesIsOffered) {
  EXPECT_EQ(CommonDialogFilter("SMF files|*.mid|"),
            "SMF files\0*.mid\0すべてのファイル (*.*)\0*.*\0\0"s);
  // Without the closing bar, and with the all-files entry already there.
  EXPECT_EQ(CommonDialogFilter("SMF files|*.mid|All|*.*"), "SMF files\0*.mid\0All\0*.*\0\0"s);
  // A name without its pattern ends the list rather than giving a broken pair.
  EXPECT_EQ(CommonDialogFilter("MIDI|*.mid;*.midi|Broken|"),
            "MIDI\0*.mid;*.midi\0すべてのファイル (*.*)\0*.*\0\0"s);
  EXPECT_EQ(CommonDialogFilter(""), "すべてのファイル (*.*)\0*.*\0\0"s);
}

TEST(DefaultExtension, EveryFormOfMidNamesMid) {
  EXPECT_EQ(DefaultExtension("mid"), "mid");
  EXPECT_EQ(DefaultExtension(".mid"), "mid");
  EXPECT_EQ(DefaultExtension("*.mid"), "mid");
  EXPECT_EQ(DefaultExtension(""), "");
  EXPECT_EQ(DefaultExtension("*.*"), "");
  EXPECT_EQ(DefaultExtension("m/d"), "");
}

TEST(SapiSettings, RateAndVolumeAreClampedToWhatTheVoiceTakes) {
  EXPECT_EQ(SapiRate(-10), -10);
  EXPECT_EQ(SapiRate(0), 0);
  EXPECT_EQ(SapiRate(10), 10);
  EXPECT_EQ(SapiRate(-128), -10);  // a damaged setup.ini
  EXPECT_EQ(SapiRate(127), 10);
  EXPECT_EQ(SapiVolume(0), 0);
  EXPECT_EQ(SapiVolume(100), 100);
  EXPECT_EQ(SapiVolume(-5), 0);
  EXPECT_EQ(SapiVolume(255), 100);
}

TEST(SapiSettings, FirstStartPicksTheFirstJapaneseVoice) {
  EXPECT_TRUE(IsJapaneseLanguageAttribute("411"));
  EXPECT_TRUE(IsJapaneseLanguageAttribute("409;411"));
  EXPECT_TRUE(IsJapaneseLanguageAttribute("409; 0411"));
  EXPECT_FALSE(IsJapaneseLanguageAttribute("409"));
  EXPECT_FALSE(IsJapaneseLanguageAttribute("4111"));  // primary language 0x111, not Japanese
  EXPECT_FALSE(IsJapaneseLanguageAttribute(""));
  EXPECT_FALSE(IsJapaneseLanguageAttribute("zz"));

  EXPECT_EQ(FirstStartVoice({"409", "809", "411", "411"}), 2);
  EXPECT_EQ(FirstStartVoice({"409", "809"}), 0);  // no Japanese voice: the first row
  EXPECT_EQ(FirstStartVoice({}), -1);
}

}  // namespace
}  // namespace zentory::win32ui
