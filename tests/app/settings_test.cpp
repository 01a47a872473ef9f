#include "app/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/general.h"
#include "platform/fakes/fakes.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
 protected:
  // A file of SIZE bytes whose leading fields are FIELDS.
  void Write(std::initializer_list<std::int32_t> fields, std::size_t size) {
    std::vector<std::uint8_t> bytes(std::max(size, fields.size() * 4), 0xCC);
    std::size_t i = 0;
    for (std::int32_t f : fields) StoreLe32(&bytes[4 * i++], f);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(size));
  }
  std::vector<std::uint8_t> Read() {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  test_support::TempDir dir_;
  std::string path_ = dir_.File("setup.ini");
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(SettingsTest, FirstRunDefaultsSaveAndReadBack) {
  SettingsBlock s = LoadSettings(path_, -3, 77);
  EXPECT_EQ(EncodeSettings(s), EncodeSettings(DefaultSettings(-3, 77)));
  EXPECT_EQ(s.menuSound, 1);
  EXPECT_EQ(s.stdTickStep, 10);
  s.abbreviatedReading = 1;
  s.reserved[243] = 0xAB;
  ASSERT_TRUE(SaveSettings(path_, s));
  auto bytes = Read();
  ASSERT_EQ(bytes.size(), 284u);
  EXPECT_EQ(LoadLe32(&bytes[0]), -3);
  EXPECT_EQ(LoadLe32(&bytes[16]), 1);
  EXPECT_EQ(LoadLe32(&bytes[20]), 1);
  EXPECT_EQ(LoadLe32(&bytes[28]), 10);
  EXPECT_EQ(LoadLe32(&bytes[36]), 120);
  EXPECT_EQ(bytes[283], 0xAB);
  EXPECT_EQ(EncodeSettings(LoadSettings(path_, 0, 100)), EncodeSettings(s));
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(SettingsTest, LongFileIsReadSilentlyAndTickStepsAreMended) {
  Write({5, 50, 1, 1, 1, 0, 0, -4, -200, 96}, 300);
  SettingsBlock s = LoadSettings(path_, 0, 100);
  EXPECT_TRUE(box_.Boxes().empty());
  EXPECT_EQ(s.minTickStep, 1);
  EXPECT_EQ(s.stdTickStep, 10);
  EXPECT_EQ(s.lastPitchBend, -200);
  EXPECT_EQ(s.lastTempo, 96);
  ASSERT_TRUE(SaveSettings(path_, s));
  EXPECT_EQ(Read().size(), 284u);
}

TEST_F(SettingsTest, ShortOrUnreadableFilesGiveDefaultsForWhatWasNotRead) {
  Write({7, 30, 1}, 10);  // rate and volume whole, input mode cut in half
  SettingsBlock s = LoadSettings(path_, 0, 100);
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0], "GENE0100000A データが大きすぎます。");
  EXPECT_EQ(s.speechRate, 7);
  EXPECT_EQ(s.speechVolume, 30);
  EXPECT_EQ(s.inputMode, 0);
  EXPECT_EQ(s.lastTempo, 120);
  EXPECT_EQ(s.reserved[0], 0);

  box_.Clear();
  fs::remove(path_);
  fs::create_directory(path_);  // present, but no file
  s = LoadSettings(path_, 4, 90);
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0].substr(0, 12), "GENE01000007");
  EXPECT_EQ(EncodeSettings(s), EncodeSettings(DefaultSettings(4, 90)));
}

}  // namespace
}  // namespace zentory
