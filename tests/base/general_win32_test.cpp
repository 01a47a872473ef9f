// The file rules as Windows keeps them: UTF-16 names at the system calls, the read-only
// attribute, and a save that replaces the file already there.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "base/general.h"
#include "platform/fakes/fakes.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

class WindowsFilesTest : public ::testing::Test {
 protected:
  // DIR/NAME as UTF-8, the program's own form.
  std::string Utf8Path(const std::string& name) const {
    return Utf8FromPath(dir_.Path()) + "\\" + name;
  }
  test_support::TempDir dir_;
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(WindowsFilesTest, JapaneseFolderAndFileNamesKeepTheirCharacters) {
  const std::vector<std::uint8_t> data{'M', 'T', 'h', 'd'};
  ASSERT_TRUE(fs::create_directory(dir_.Path() / L"\u66f2"));  // 曲
  const std::string path = Utf8Path("曲\\ふるさと.mid");
  ASSERT_TRUE(WriteWholeFile(path, data));
  // The name on the disk is the Japanese one, not its UTF-8 bytes read as ANSI characters.
  EXPECT_TRUE(fs::exists(dir_.Path() / L"\u66f2" / L"\u3075\u308b\u3055\u3068.mid"));
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(GetFileSize32(path), 4u);
  std::vector<std::uint8_t> back;
  ASSERT_TRUE(ReadWholeFile(path, back, 100));
  EXPECT_EQ(back, data);
  EXPECT_EQ(Utf8FromPath(PathFromUtf8(path)), path);
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(WindowsFilesTest, SaveReplacesTheFileThereAndLeavesNoTemporaryFile) {
  const std::string path = Utf8Path("song.mid");
  ASSERT_TRUE(WriteWholeFile(path, std::vector<std::uint8_t>(10, 1)));
  ASSERT_TRUE(WriteWholeFile(path, std::vector<std::uint8_t>(3, 2)));
  std::vector<std::uint8_t> back;
  ASSERT_TRUE(ReadWholeFile(path, back, 100));
  EXPECT_EQ(back, std::vector<std::uint8_t>(3, 2));
  EXPECT_FALSE(fs::exists(dir_.Path() / "song.mid.tmp~"));
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(WindowsFilesTest, ReadOnlyFileAndFolderAreLeftAlone) {
  const std::string path = Utf8Path("setup.ini");
  ASSERT_TRUE(WriteWholeFile(path, std::vector<std::uint8_t>(5, 7)));
  const std::wstring wide = PathFromUtf8(path).native();
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteWholeFile(path, std::vector<std::uint8_t>(9, 0)));
  EXPECT_EQ(GetFileSize32(path), 5u);
  EXPECT_FALSE(fs::exists(dir_.Path() / "setup.ini.tmp~"));
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_FALSE(WriteWholeFile(Utf8FromPath(dir_.Path()), std::vector<std::uint8_t>(1, 0)));
  ASSERT_EQ(box_.Boxes().size(), 2u);
  for (const std::string& b : box_.Boxes()) EXPECT_EQ(b.substr(0, 12), "GENE01000007");
}

}  // namespace
}  // namespace zentory
