#include "app/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/general.h"
#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zentory_settings_" + std::to_string(::getpid()) + "_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "setup.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  void WriteBytes(const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::vector<std::uint8_t> ReadBytes() {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static std::vector<std::uint8_t> Record(std::initializer_list<std::int32_t> fields,
                                          std::size_t size) {
    std::vector<std::uint8_t> bytes(std::max<std::size_t>(size, fields.size() * 4));
    std::size_t i = 0;
    for (std::int32_t f : fields) StoreLe32(&bytes[4 * i++], f);
    bytes.resize(size);
    return bytes;
  }
  fs::path dir_;
  std::string path_;
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(SettingsTest, FirstRunGivesDefaultsAndSavesThe284Bytes) {
  SettingsBlock s = LoadSettings(path_, -3, 77);
  EXPECT_TRUE(box_.Boxes().empty());
  EXPECT_EQ(s.speechRate, -3);
  EXPECT_EQ(s.speechVolume, 77);
  EXPECT_EQ(s.inputMode, 0);
  EXPECT_EQ(s.positionUnit, 0);
  EXPECT_EQ(s.abbreviatedReading, 0);
  EXPECT_EQ(s.menuSound, 1);
  EXPECT_EQ(s.minTickStep, 1);
  EXPECT_EQ(s.stdTickStep, 10);
  EXPECT_EQ(s.lastTempo, 120);

  s.abbreviatedReading = 1;
  s.reserved[243] = 0xAB;
  ASSERT_TRUE(SaveSettings(path_, s));
  auto bytes = ReadBytes();
  ASSERT_EQ(bytes.size(), 284u);
  EXPECT_EQ(LoadLe32(&bytes[0]), -3);
  EXPECT_EQ(LoadLe32(&bytes[16]), 1);
  EXPECT_EQ(LoadLe32(&bytes[20]), 1);
  EXPECT_EQ(LoadLe32(&bytes[28]), 10);
  EXPECT_EQ(LoadLe32(&bytes[36]), 120);
  EXPECT_EQ(bytes[283], 0xAB);

  SettingsBlock back = LoadSettings(path_, 0, 100);
  EXPECT_EQ(back.speechRate, -3);
  EXPECT_EQ(back.abbreviatedReading, 1);
  EXPECT_EQ(EncodeSettings(back), EncodeSettings(s));
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(SettingsTest, TickStepsBelowOneAreMended) {
  WriteBytes(Record({5, 50, 1, 1, 1, 0, 0, -4, -200, 96}, 284));
  SettingsBlock s = LoadSettings(path_, 0, 100);
  EXPECT_EQ(s.minTickStep, 1);
  EXPECT_EQ(s.stdTickStep, 10);
  EXPECT_EQ(s.menuSound, 0);
  EXPECT_EQ(s.lastPitchBend, -200);
  EXPECT_EQ(s.lastTempo, 96);
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(SettingsTest, ShortFileKeepsWholeFieldsReadAndDefaultsTheRest) {
  // Ten bytes: rate and volume whole, input mode cut in half.
  WriteBytes(Record({7, 30, 1}, 10));
  SettingsBlock s = LoadSettings(path_, 0, 100);
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0], "GENE0100000A データが大きすぎます。");
  EXPECT_EQ(s.speechRate, 7);
  EXPECT_EQ(s.speechVolume, 30);
  EXPECT_EQ(s.inputMode, 0);
  EXPECT_EQ(s.menuSound, 1);
  EXPECT_EQ(s.stdTickStep, 10);
  EXPECT_EQ(s.lastTempo, 120);

  box_.Clear();
  WriteBytes({});
  s = LoadSettings(path_, 2, 60);
  EXPECT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(s.speechRate, 2);
  EXPECT_EQ(s.speechVolume, 60);
}

TEST_F(SettingsTest, LongFileReadsItsFirstRecordSilently) {
  auto bytes = Record({1, 2, 1, 1, 0, 1, 3, 20, 0, 140}, 300);
  std::fill(bytes.begin() + 284, bytes.end(), 0xCC);
  WriteBytes(bytes);
  SettingsBlock s = LoadSettings(path_, 0, 100);
  EXPECT_TRUE(box_.Boxes().empty());
  EXPECT_EQ(s.minTickStep, 3);
  EXPECT_EQ(s.stdTickStep, 20);
  EXPECT_EQ(s.lastTempo, 140);
  ASSERT_TRUE(SaveSettings(path_, s));
  EXPECT_EQ(ReadBytes().size(), 284u);
}

TEST_F(SettingsTest, UnreadableOrUnwritablePlacesReport) {
  fs::create_directory(path_);  // exists, but is no file
  SettingsBlock s = LoadSettings(path_, 4, 90);
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0].substr(0, 12), "GENE01000007");
  EXPECT_EQ(s.speechRate, 4);
  EXPECT_EQ(s.lastTempo, 120);

  box_.Clear();
  EXPECT_FALSE(SaveSettings((dir_ / "missing" / "setup.ini").string(), s));
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0].substr(0, 12), "GENE01000007");
}

}  // namespace
}  // namespace zentory
