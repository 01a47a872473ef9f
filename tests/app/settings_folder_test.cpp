// The main window's two folders: the settings folder (setup.ini, shortcut.dat, a user's own
// menu.wav) and the data folder of the shipped files, and a run without a settings folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/dialog_harness.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;
using test_support::DialogHarness;
using test_support::TempDir;

// Runs the test body in a folder of its own, so a write to the current directory shows up there
// and never lands in the real one.
class InTempCurrentDir {
 public:
  InTempCurrentDir() : previous_(fs::current_path()) { fs::current_path(dir_.Path()); }
  ~InTempCurrentDir() { fs::current_path(previous_); }
  InTempCurrentDir(const InTempCurrentDir&) = delete;
  InTempCurrentDir& operator=(const InTempCurrentDir&) = delete;
  bool Empty() const { return fs::is_empty(dir_.Path()); }

 private:
  TempDir dir_;
  fs::path previous_;
};

TEST(MainDialogFolders, MenuSoundOfTheSettingsFolderWinsOverTheShippedOne) {
  DialogHarness h;
  TempDir data;
  Platform p = h.MakePlatform();
  const std::string own = h.temp.File("menu.wav");
  const std::string shipped = data.File("menu.wav");

  p.dataDir = data.Str();
  EXPECT_EQ(CMainDialog(p).MenuSoundPath(), shipped);
  // The user's file is taken whatever it holds: a damaged one is reported, not replaced.
  std::ofstream(own) << "not a wave file";
  EXPECT_EQ(CMainDialog(p).MenuSoundPath(), own);
  fs::remove(own);
  // With nothing shipped the settings folder's path is the one named as missing.
  p.dataDir.clear();
  EXPECT_EQ(CMainDialog(p).MenuSoundPath(), own);
  // Without a settings folder only the shipped file can play; never one of the current directory.
  p.appDir.clear();
  EXPECT_EQ(CMainDialog(p).MenuSoundPath(), "");
  p.dataDir = data.Str();
  EXPECT_EQ(CMainDialog(p).MenuSoundPath(), shipped);
}

TEST(MainDialogFolders, WithoutOneTheDefaultsRunAndNothingIsWritten) {
  InTempCurrentDir cwd;
  DialogHarness h;
  Platform p = h.MakePlatform();
  p.appDir.clear();
  h.dialog = std::make_unique<CMainDialog>(p);
  h.dialog->Start();
  // The built-in keys work and a changed setting is in force for the run.
  h.Keys("Ctrl+Shift+R Ctrl+L");
  EXPECT_EQ(h.Last(), "1 1 1");
  h.dialog->Shutdown();
  EXPECT_TRUE(h.box.Boxes().empty()) << h.box.Boxes().front();
  EXPECT_TRUE(cwd.Empty());
  EXPECT_TRUE(fs::is_empty(h.temp.Path()));
}

}  // namespace
}  // namespace zentory
