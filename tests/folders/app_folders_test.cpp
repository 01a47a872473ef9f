// The folder options and where the settings and data folders are found. Every folder made here
// is under a temporary one; XDG_CONFIG_HOME and HOME are pointed there while a test runs.
#include "platform/wiring/app_folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/wiring/backends.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;
using test_support::TempDir;

using Args = std::vector<std::string>;

// Sets an environment variable for one test and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (previous_) {
      setenv(name_, previous_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

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

TEST(SettingsFolder, UserFolderIsMadeOnFirstUseAndAFailureIsOneLine) {
  TempDir temp;
  ScopedEnv xdg("XDG_CONFIG_HOME", (temp.Path() / "xdg").c_str());
  ScopedEnv home("HOME", (temp.Path() / "home").c_str());
  std::vector<std::string> problems;
  const std::string folder = SettingsFolder({FolderChoice::Kind::kUser, {}}, problems);
  EXPECT_EQ(folder, (temp.Path() / "xdg" / "zentory").string());
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(problems.empty());

  std::ofstream(temp.File("blocker")) << "x";
  ScopedEnv blocked("XDG_CONFIG_HOME", temp.File("blocker").c_str());
  EXPECT_EQ(SettingsFolder({FolderChoice::Kind::kUser, {}}, problems), "");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_TRUE(problems[0].starts_with(backend_texts::kNoSettingsFolder)) << problems[0];
  EXPECT_NE(problems[0].find(temp.File("blocker")), std::string::npos) << problems[0];

  problems.clear();
  ScopedEnv noXdg("XDG_CONFIG_HOME", nullptr);
  ScopedEnv noHome("HOME", nullptr);
  EXPECT_EQ(SettingsFolder({FolderChoice::Kind::kUser, {}}, problems), "");
  EXPECT_EQ(problems.size(), 1u);
}

TEST(SettingsFolder, AGivenFolderIsMadeAbsolute) {
  TempDir temp;
  std::vector<std::string> problems;
  const std::string folder =
      SettingsFolder({FolderChoice::Kind::kGiven, temp.File("project/")}, problems);
  EXPECT_EQ(folder, temp.File("project"));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(problems.empty());
  EXPECT_TRUE(fs::path(SettingsFolder({FolderChoice::Kind::kCurrent, {}}, problems)).is_absolute());
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

TEST(ExecutablePath, IsThisProgram) {
  const std::string self = ExecutablePath(nullptr);
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(fs::path(self).filename(), "zentory_tests_folders");
}

}  // namespace
}  // namespace zentory
