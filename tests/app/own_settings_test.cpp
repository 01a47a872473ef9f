// zentory.ini: our own settings beside setup.ini, kept line for line.
#include "app/own_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace zentory {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const std::string& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(OwnSettings, MissingOrDamagedFilesGiveTheDefaults) {
  test_support::TempDir dir;
  COwnSettings settings;
  settings.Load(dir.File("zentory.ini"));
  EXPECT_FALSE(settings.GetBool(COwnSettings::kMusicalReadings, false));
  EXPECT_EQ(settings.Get(COwnSettings::kVoice), std::nullopt);

  // Binary noise, a value that is not a switch, and a file far too large to be ours.
  Write(dir.File("noise.ini"), std::string("\x00\xFF\x01musical_readings\x00", 20));
  settings.Load(dir.File("noise.ini"));
  EXPECT_TRUE(settings.GetBool(COwnSettings::kMusicalReadings, true));
  Write(dir.File("odd.ini"), "musical_readings=yes\n");
  settings.Load(dir.File("odd.ini"));
  EXPECT_FALSE(settings.GetBool(COwnSettings::kMusicalReadings, false));
  Write(dir.File("huge.ini"), "musical_readings=1\n" + std::string(100000, '#'));
  settings.Load(dir.File("huge.ini"));
  EXPECT_FALSE(settings.GetBool(COwnSettings::kMusicalReadings, false));
}

TEST(OwnSettings, UnknownLinesAndCommentsSurviveAWrite) {
  test_support::TempDir dir;
  const std::string path = dir.File("zentory.ini");
  Write(path, "\xEF\xBB\xBF# mine\r\nfuture_option = 7\r\nmusical_readings=0\r\nvoice=Old\n");
  COwnSettings settings;
  settings.Load(path);
  EXPECT_EQ(settings.Get("future_option"), "7");
  settings.SetBool(COwnSettings::kMusicalReadings, true);
  settings.Set(COwnSettings::kVoice, "日本語\nvoice");  // a line break cannot start a new line
  ASSERT_TRUE(settings.Save(path));
  EXPECT_EQ(Read(path), "# mine\nfuture_option = 7\nmusical_readings=1\nvoice=日本語 voice\n");

  COwnSettings again;
  again.Load(path);
  EXPECT_TRUE(again.GetBool(COwnSettings::kMusicalReadings, false));
  EXPECT_EQ(again.Get(COwnSettings::kVoice), "日本語 voice");
  // A setting the file did not have is appended.
  again.Set("added", "x");
  ASSERT_TRUE(again.Save(path));
  EXPECT_TRUE(Read(path).ends_with("voice=日本語 voice\nadded=x\n"));
}

}  // namespace
}  // namespace zentory
