// Key names and script lines of the key-script front end, and the hook under it.
#include "app/script_front_end.h"

#include <gtest/gtest.h>

#include "app/keyboard_hook.h"
#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

TEST(ScriptKeys, NamesMapToVirtualKeysAndModifiers) {
  struct Case {
    const char* text;
    ScriptKey want;
  };
  const Case cases[] = {
      {"Ctrl+Shift+A", {0x41, 1, 1, 0}},   {"Alt", {0x12, 0, 0, 1}},
      {"Shift+;", {0xBB, 0, 1, 0}},        {"Shift+.", {0xBE, 0, 1, 0}},
      {"Ctrl+-", {0xBD, 1, 0, 0}},         {"F12", {0x7B, 0, 0, 0}},
      {"Num0", {0x60, 0, 0, 0}},           {"Num9", {0x69, 0, 0, 0}},
      {"Ctrl+Alt+Space", {0x20, 1, 0, 1}}, {"@", {0xC0, 0, 0, 0}},
      {"VK_DE", {0xDE, 0, 0, 0}},          {"7", {0x37, 0, 0, 0}},
      {"ctrl+q", {0x51, 1, 0, 0}},         {"Return", {0x0D, 0, 0, 0}},
      {"PageDown", {0x22, 0, 0, 0}},       {"BackSpace", {0x08, 0, 0, 0}},
      {"NumMinus", {0x6D, 0, 0, 0}},       {"]", {0xDD, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    auto got = ParseKeyName(c.text);
    ASSERT_TRUE(got.has_value()) << c.text;
    EXPECT_EQ(*got, c.want) << c.text;
  }
  for (const char* bad :
       {"", "F13", "F0", "Hyper+A", "Ctrl+", "AB", "VK_XY", "VK_1", "Num10", "Ctrl++"}) {
    EXPECT_FALSE(ParseKeyName(bad).has_value()) << bad;
  }
}

TEST(ScriptKeys, LinesAreKeysDirectivesOrNothing) {
  std::string error;
  EXPECT_EQ(ParseScriptLine("  # comment", &error)->kind, ScriptLine::Kind::kBlank);
  EXPECT_EQ(ParseScriptLine("\r", &error)->kind, ScriptLine::Kind::kBlank);
  auto open = ParseScriptLine("@open /tmp/a song.mid\r", &error);
  ASSERT_TRUE(open);
  EXPECT_EQ(open->kind, ScriptLine::Kind::kOpen);
  EXPECT_EQ(open->argument, "/tmp/a song.mid");
  EXPECT_EQ(ParseScriptLine("@wait 250", &error)->waitMs, 250);
  EXPECT_EQ(ParseScriptLine("\xEF\xBB\xBF"
                            "Alt\r",
                            &error)
                ->key,
            (ScriptKey{0x12, 0, 0, 1}));
  auto at = ParseScriptLine(" @ \r", &error);
  ASSERT_TRUE(at);
  EXPECT_EQ(at->kind, ScriptLine::Kind::kKey);
  EXPECT_EQ(at->key, (ScriptKey{0xC0, 0, 0, 0}));
  EXPECT_EQ(ParseScriptLine("Shift+@", &error)->key, (ScriptKey{0xC0, 0, 1, 0}));
  EXPECT_FALSE(ParseScriptLine("@wait soon", &error));
  EXPECT_FALSE(ParseScriptLine("@open", &error));
  EXPECT_FALSE(ParseScriptLine("@dance", &error));
  EXPECT_FALSE(ParseScriptLine("Ctrl+Banana", &error));
  EXPECT_EQ(error, "unknown key name");
}

TEST(KeyboardHook, HandlersSwapSafelyAndNothingArrivesWhileRemoved) {
  FakeKeySource source;
  CKeyboardHook hook(&source);
  std::vector<int> first, second;
  hook.SetKeyHandlers(
      [&](int key, int, int, int) {
        first.push_back(key);
        // Replacing the running handler takes effect from the next key.
        hook.SetKeyHandlers([&](int k, int, int, int) { second.push_back(k); }, nullptr);
        first.push_back(key);
      },
      nullptr);
  EXPECT_FALSE(source.KeyDown('A'));
  ASSERT_TRUE(hook.Install());
  EXPECT_TRUE(hook.Install());
  EXPECT_EQ(source.installs, 1);
  source.KeyDown('B', 1, 0, 0);
  source.KeyDown('C');
  source.KeyUp('C');
  EXPECT_EQ(first, (std::vector<int>{'B', 'B'}));
  EXPECT_EQ(second, std::vector<int>{'C'});
  hook.Remove();
  EXPECT_FALSE(source.Installed());
  EXPECT_FALSE(source.KeyDown('D'));
  source.failInstall = true;
  EXPECT_FALSE(hook.Install());
}

}  // namespace
}  // namespace zentory
