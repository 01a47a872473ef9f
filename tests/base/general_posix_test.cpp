// The file rules only a POSIX system has: symbolic links and permission bits. (Windows keeps
// neither the same way; its read-only attribute is tested in general_win32_test.cpp.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/general.h"
#include "platform/fakes/fakes.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

class PosixFilesTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.File(name); }
  void Write(const char* name, std::size_t n) {
    std::ofstream(Path(name), std::ios::binary) << std::string(n, 'x');
  }
  test_support::TempDir dir_;
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(PosixFilesTest, WritesThroughLinksAndLeavesReadOnlyFilesAlone) {
  const std::vector<std::uint8_t> data{1, 2, 3};
  fs::create_directory(Path("real"));
  Write("real/setup.ini", 5);
  fs::permissions(Path("real/setup.ini"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real/setup.ini", Path("setup.ini"));
  ASSERT_TRUE(WriteWholeFile(Path("setup.ini"), data));
  EXPECT_TRUE(fs::is_symlink(Path("setup.ini")));  // the link stays a link
  EXPECT_EQ(fs::file_size(Path("real/setup.ini")), 3u);
  EXPECT_EQ(fs::status(Path("real/setup.ini")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);  // and keeps its permissions
  EXPECT_TRUE(box_.Boxes().empty());

  fs::permissions(Path("real/setup.ini"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(WriteWholeFile(Path("setup.ini"), std::vector<std::uint8_t>(9, 0)));
  EXPECT_FALSE(WriteWholeFile(Path("real/setup.ini"), std::vector<std::uint8_t>(9, 0)));
  EXPECT_EQ(fs::file_size(Path("real/setup.ini")), 3u);
  EXPECT_EQ(box_.Boxes().size(), 2u);
  for (const std::string& b : box_.Boxes()) EXPECT_EQ(b.substr(0, 12), "GENE01000007");
  EXPECT_FALSE(fs::exists(Path("real/setup.ini.tmp~")));
}

}  // namespace
}  // namespace zentory
