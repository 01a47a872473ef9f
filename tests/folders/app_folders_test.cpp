// The folder options and where the settings and data folders are found. Every folder made here
// is under a temporary one.
#include "platform/wiring/app_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;
using test_support::TempDir;

using Args = std::vector<std::string>;

fs::perms Mode(const fs::path& path) { return fs::status(path).permissions() & fs::perms::mask; }

TEST(FolderOptions, AreTakenOutAndTheRestKeepsItsOrder) {
  Args args{"zentory", "--midi", "none", "--config", "/tmp/x", "--script", "k.txt"};
  FolderChoice choice;
  std::string error;
  ASSERT_TRUE(TakeFolderOptions(args, choice, error));
  EXPECT_EQ(args, (Args{"zentory", "--midi", "none", "--script", "k.txt"}));
  EXPECT_EQ(choice.kind, FolderChoice::Kind::kGiven);
  EXPECT_EQ(choice.dir, "/tmp/x");

  args = {"zentory", "--user-config", "--reading", "Bach"};
  choice = {};
  ASSERT_TRUE(TakeFolderOptions(args, choice, error));
  EXPECT_EQ(args, (Args{"zentory", "--reading", "Bach"}));
  EXPECT_EQ(choice.kind, FolderChoice::Kind::kUser);

  args = {"zentory", "--config=songs/a"};
  choice = {};
  ASSERT_TRUE(TakeFolderOptions(args, choice, error));
  EXPECT_EQ(args, Args{"zentory"});
  EXPECT_EQ(choice.dir, "songs/a");

  args = {"zentory", "--echo"};
  choice = {};
  ASSERT_TRUE(TakeFolderOptions(args, choice, error));
  EXPECT_EQ(choice.kind, FolderChoice::Kind::kCurrent);
}

TEST(FolderOptions, AFolderMissingOrChosenTwiceIsRefused) {
  for (const Args& bad : {Args{"zentory", "--config"}, Args{"zentory", "--config="},
                          Args{"zentory", "--config", "--script", "k.txt"},
                          Args{"zentory", "--config", "a", "--user-config"},
                          Args{"zentory", "--user-config", "--user-config"}}) {
    Args args = bad;
    FolderChoice choice;
    std::string error;
    EXPECT_FALSE(TakeFolderOptions(args, choice, error)) << bad.back();
    EXPECT_FALSE(error.empty());
  }
}

TEST(UserConfigDir, FollowsXdgConfigHomeElseHome) {
  EXPECT_EQ(UserConfigDir("/x/cfg", "/home/u"), "/x/cfg/zentory");
  EXPECT_EQ(UserConfigDir("/x/cfg/", "/home/u"), "/x/cfg/zentory");
  EXPECT_EQ(UserConfigDir("", "/home/u"), "/home/u/.config/zentory");
  EXPECT_EQ(UserConfigDir(nullptr, "/home/u"), "/home/u/.config/zentory");
  // A relative value would move with the current directory; it is not used.
  EXPECT_EQ(UserConfigDir("cfg", "/home/u"), "/home/u/.config/zentory");
  EXPECT_EQ(UserConfigDir(nullptr, nullptr), "");
  EXPECT_EQ(UserConfigDir("", ""), "");
}

TEST(MakeSettingsFolder, CreatesParentsAndAPrivateFolderLeavesAnExistingOneAlone) {
  TempDir temp;
  const fs::path dir = temp.Path() / "a" / "b" / "zentory";
  std::string error;
  ASSERT_TRUE(MakeSettingsFolder(dir.string(), error)) << error;
  EXPECT_EQ(Mode(dir), fs::perms::owner_all);

  const fs::path shared = temp.Path() / "shared";
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  EXPECT_TRUE(MakeSettingsFolder(shared.string(), error));
  EXPECT_EQ(Mode(shared), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  // A link to a folder is that folder.
  fs::create_directory_symlink(shared, temp.Path() / "link");
  EXPECT_TRUE(MakeSettingsFolder((temp.Path() / "link").string(), error));
}

TEST(MakeSettingsFolder, AFileInTheWayIsAReason) {
  TempDir temp;
  std::ofstream(temp.File("file")) << "x";
  std::string error;
  EXPECT_FALSE(MakeSettingsFolder(temp.File("file"), error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(MakeSettingsFolder((temp.Path() / "file" / "zentory").string(), error));
  EXPECT_FALSE(error.empty());
  // A dangling link is not replaced by a folder of ours.
  fs::create_symlink(temp.Path() / "nowhere", temp.Path() / "dangling");
  EXPECT_FALSE(MakeSettingsFolder(temp.File("dangling"), error));
  EXPECT_FALSE(fs::exists(temp.Path() / "nowhere"));
}

TEST(DataFolder, BuildTreeBesideTheProgramElseTheInstalledShareFolder) {
  TempDir temp;
  const fs::path prefix = temp.Path() / "prefix";
  fs::create_directories(prefix / "bin");
  const std::string installed = (prefix / "bin" / "zentory").string();
  EXPECT_EQ(DataFolder(installed), "");
  fs::create_directories(prefix / "share" / "zentory");
  EXPECT_EQ(DataFolder(installed), (prefix / "share" / "zentory").string());
  fs::create_directories(prefix / "bin" / "share" / "zentory");
  EXPECT_EQ(DataFolder(installed), (prefix / "bin" / "share" / "zentory").string());
  EXPECT_EQ(DataFolder(""), "");
}

}  // namespace
}  // namespace zentory
