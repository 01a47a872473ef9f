// The recovery files of a run: written a second after a change, removed when the song is saved,
// kept when the program ends with the song unsaved, named at the next start and restored.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/command_table.h"
#include "app/recovery_files.h"
#include "base/general.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;
using Notes = std::vector<std::vector<std::int64_t>>;

class Recovery : public ::testing::Test {
 protected:
  void SetUp() override { Start(4242); }
  void Start(long pid) {
    h.dialog.reset();
    h.speech.spoken.clear();
    Platform p = h.MakePlatform();
    p.processId = pid;
    h.dialog = std::make_unique<CMainDialog>(p);
    h.dialog->Start();
  }
  void Keys(std::string_view names) { h.Keys(names); }
  void Wait(std::int64_t ms) {
    h.clock.Advance(ms);
    h.post.Drain([this](int m) { h.dialog->OnPosted(m); });
  }
  std::string Last() const { return h.Last(); }
  std::vector<std::string> Files() { return ListRecoveryFiles(h.temp.Str()); }

  test_support::DialogHarness h;
};

TEST_F(Recovery, ThisRunsFilesFollowTheUnsavedSong) {
  EXPECT_TRUE(Files().empty());
  Keys("C Return");
  Wait(0);  // the first change after a quiet time is written at once
  ASSERT_EQ(Files().size(), 1u);
  const std::string mid = Files()[0];
  EXPECT_TRUE(fs::path(mid).filename().string().starts_with("recovery-"));
  EXPECT_TRUE(mid.ends_with("-4242.mid"));
  const auto firstSize = fs::file_size(mid);
  // Within the second after a write the next change waits.
  Keys("D Return");
  Wait(500);
  EXPECT_EQ(fs::file_size(mid), firstSize);
  Wait(500);
  EXPECT_GT(fs::file_size(mid), firstSize);
  RecoveryNote note = ReadRecoveryNote(mid);
  EXPECT_EQ(note.songPath, "");
  EXPECT_EQ(note.track, 1);
  EXPECT_EQ(note.tick, 960);
  // A save leaves nothing to recover; the next change writes again.
  h.dialogs.answers.push_back(h.temp.File("song.mid"));
  Keys("Ctrl+S");
  EXPECT_TRUE(Files().empty());
  Keys("E Return");
  Wait(1000);
  ASSERT_EQ(Files().size(), 1u);
  EXPECT_EQ(ReadRecoveryNote(Files()[0]).songPath, h.temp.File("song.mid"));
  // Undo back to the saved song is saved again.
  Keys("Ctrl+Z");
  EXPECT_TRUE(Files().empty());
}

TEST_F(Recovery, AnUnsavedSongIsNamedAtTheNextStartAndRestored) {
  Keys("Ctrl+F3 C Return E Return Right");
  const Notes three = h.Notes(3);
  Wait(1000);
  // The window is closed without saving: the song stays recoverable, at its latest state.
  Keys("G Return");
  h.dialog->Shutdown();
  ASSERT_EQ(Files().size(), 1u);

  Start(4343);
  EXPECT_EQ(h.speech.spoken.front(),
            "曲を新規作成しました。小節[1] 拍[1] 節[1] "
            "前回保存されなかった曲があります。シフト コントロール Oで復元できます。");
  Keys("Ctrl+Shift+O");
  EXPECT_EQ(Last(), "保存されなかった曲を復元しました。小節[2] 拍[4] 節[1]");
  EXPECT_EQ(h.dialog->Position().track, 3);
  EXPECT_EQ(h.Notes(3).size(), three.size() + 1);
  Keys("Ctrl+Shift+L");
  EXPECT_EQ(Last(), "新しい曲 保存されていない変更があります");
  // The restore is a change like any other: undone, the new song is back.
  Keys("Ctrl+Shift+Z");
  EXPECT_TRUE(h.Notes(3).empty());
}

TEST_F(Recovery, AFailedWriteIsSaidOnce) {
  // A folder where the file should be: every write fails.
  std::string blocker;
  {
    Keys("C Return");
    Wait(0);
    ASSERT_EQ(Files().size(), 1u);
    blocker = Files()[0];
  }
  fs::remove(blocker);
  fs::create_directory(blocker);
  h.box.Clear();
  Keys("D Return");
  Wait(1000);
  Keys("E Return");
  Wait(1000);
  Keys("F Return");
  Wait(1000);
  EXPECT_EQ(
      h.box.Boxes(),
      std::vector<std::string>{
          "保存されなかった曲を設定フォルダーに書き込めませんでした。こまめに保存してください。"});
  fs::remove(blocker);
}

TEST_F(Recovery, TheStartUpNamesTheRestoreKeyOfTheUsersKeyFile) {
  Keys("C Return");
  h.dialog->Shutdown();
  // The user's file gives Ctrl+Shift+O to the version: the restore has no key, and the menu
  // item is named instead.
  std::vector<KeyAssignment> rows = BuiltInKeyAssignments();
  rows.push_back({0x611, 1, 1, 0, 0x4F, ""});
  ASSERT_TRUE(WriteWholeFile(h.temp.File("shortcut.dat"), EncodeShortcutFile(rows)));
  Start(4545);
  EXPECT_EQ(h.speech.spoken.front(),
            "曲を新規作成しました。小節[1] 拍[1] 節[1] "
            "前回保存されなかった曲があります。メニューの保存されなかった曲の復元で復元できます。");
}

TEST_F(Recovery, TheNewestThreeRunsAreKeptAndTheRestoreStepsThroughThem) {
  const CMidi1Data song = *h.dialog->Song();
  h.dialog->Shutdown();
  const std::string dir = h.temp.Str();
  for (int run = 1; run <= 5; ++run) {
    RecoveryNote note;
    note.tick = run * 480;
    const std::string base = "recovery-2026120" + std::to_string(run) + "-000000-1";
    ASSERT_TRUE(WriteRecoveryFiles(dir, base, song, note));
  }
  ASSERT_EQ(Files().size(), 5u);
  Start(4444);
  ASSERT_EQ(Files().size(), 3u);
  EXPECT_TRUE(Files()[0].ends_with("recovery-20261205-000000-1.mid"));
  EXPECT_FALSE(fs::exists(dir + "/recovery-20261201-000000-1.txt"));
  Keys("Ctrl+Shift+O");
  EXPECT_EQ(h.dialog->Position().tick, 5 * 480);
  Keys("Ctrl+Shift+O");
  EXPECT_EQ(h.dialog->Position().tick, 4 * 480);
  // The restored song is changed: this run writes its own file, and the runs kept with it are
  // the newest two others.
  Wait(0);
  ASSERT_EQ(Files().size(), 3u);
  EXPECT_TRUE(Files()[2].ends_with("recovery-20261204-000000-1.mid"));
}

}  // namespace
}  // namespace zentory
