// Where the Windows build keeps its files: --user-config in %APPDATA%\Zentory, the data folder
// beside the .exe, Japanese folder names kept whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "base/general.h"
#include "platform/wiring/app_folders.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

// Sets APPDATA for one test and puts the old value back after it.
class ScopedAppData {
 public:
  explicit ScopedAppData(const wchar_t* value) {
    wchar_t old[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", old, MAX_PATH * 2);
    had_ = n > 0 && n < MAX_PATH * 2;
    if (had_) old_ = old;
    SetEnvironmentVariableW(L"APPDATA", value);
  }
  ~ScopedAppData() { SetEnvironmentVariableW(L"APPDATA", had_ ? old_.c_str() : nullptr); }
  ScopedAppData(const ScopedAppData&) = delete;
  ScopedAppData& operator=(const ScopedAppData&) = delete;

 private:
  bool had_ = false;
  std::wstring old_;
};

TEST(WindowsFolders, UserConfigIsZentoryUnderAppDataMadeWithItsParents) {
  test_support::TempDir dir;
  const fs::path appData = dir.Path() / L"\u8a2d\u5b9a";  // 設定
  {
    ScopedAppData scope(appData.c_str());
    const std::string folder = DefaultUserConfigDir();
    EXPECT_EQ(folder, Utf8FromPath(appData) + "\\Zentory");
    std::string error;
    ASSERT_TRUE(MakeSettingsFolder(folder, error)) << error;
    EXPECT_TRUE(fs::is_directory(appData / L"Zentory"));
    EXPECT_TRUE(MakeSettingsFolder(folder, error));  // already there: fine

    std::vector<std::string> problems;
    EXPECT_EQ(SettingsFolder({FolderChoice::Kind::kUser, {}}, problems), folder);
    EXPECT_TRUE(problems.empty());
  }
  {
    ScopedAppData scope(L"relative\\folder");
    EXPECT_EQ(DefaultUserConfigDir(), "");
    std::vector<std::string> problems;
    EXPECT_EQ(SettingsFolder({FolderChoice::Kind::kUser, {}}, problems), "");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find(kNoUserFolder), std::string::npos);
  }
  {
    ScopedAppData scope(nullptr);
    EXPECT_EQ(DefaultUserConfigDir(), "");
  }
}

TEST(WindowsFolders, AFileInTheWayIsNoFolder) {
  test_support::TempDir dir;
  std::ofstream(dir.Path() / "Zentory") << "x";
  std::string error;
  EXPECT_FALSE(MakeSettingsFolder(Utf8FromPath(dir.Path() / "Zentory"), error));
  EXPECT_FALSE(error.empty());
}

TEST(WindowsFolders, DataFolderIsDataBesideTheProgram) {
  test_support::TempDir dir;
  const std::string exe = Utf8FromPath(dir.Path() / L"\u66f2" / "zentory.exe");
  EXPECT_EQ(DataFolder(exe), "");  // not there yet
  fs::create_directories(dir.Path() / L"\u66f2" / "data");
  EXPECT_EQ(DataFolder(exe), Utf8FromPath(dir.Path() / L"\u66f2" / "data"));

  const std::string self = ExecutablePath(nullptr);
  EXPECT_TRUE(self.ends_with("zentory_tests_win32.exe")) << self;
  EXPECT_TRUE(fs::exists(PathFromUtf8(self)));
}

}  // namespace
}  // namespace zentory
