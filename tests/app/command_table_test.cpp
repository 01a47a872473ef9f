#include "app/command_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "base/general.h"
#include "base/text_codec.h"
#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

TEST(CommandTable, BuiltInTablesAreConsistent) {
  const auto& categories = CommandCategories();
  const auto& entries = CommandEntries();
  const auto& keys = BuiltInKeyAssignments();
  ASSERT_EQ(categories.size(), 9u);
  ASSERT_EQ(entries.size(), 97u);
  ASSERT_EQ(keys.size(), 104u);
  for (std::size_t i = 0; i < categories.size(); ++i) EXPECT_EQ(categories[i].id, int(i));
  EXPECT_STREQ(categories[0].name, "未割当");
  EXPECT_STREQ(categories[5].name, "編集位置指定");
  EXPECT_EQ(entries[0].command, 0);
  EXPECT_STREQ(entries[0].description, "未割当");

  // Commands appear in the order of their first key row, each once, category = high byte.
  std::vector<int> firstOccurrence;
  for (const auto& k : keys) {
    if (std::find(firstOccurrence.begin(), firstOccurrence.end(), k.command) ==
        firstOccurrence.end())
      firstOccurrence.push_back(k.command);
  }
  ASSERT_EQ(firstOccurrence.size(), 96u);
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].command, firstOccurrence[i - 1]) << "row " << i;
    EXPECT_EQ(entries[i].category, entries[i].command >> 8) << "row " << i;
  }

  // No two key rows share their four fields.
  std::set<std::tuple<int, int, int, int>> seen;
  for (const auto& k : keys) EXPECT_TRUE(seen.insert({k.key, k.ctrl, k.shift, k.alt}).second);

  EXPECT_STREQ(FindCommandEntry(0x301)->description, "MMLの設定値の読み上げ\t");
  EXPECT_STREQ(FindCommandEntry(0x596)->description,
               "編集位置を次の同じ種類の同じコマンドのイベントに移動");
  EXPECT_STREQ(FindCommandEntry(0x20A)->description, "編集対象トラックを１つ前のトラックに変更");
  EXPECT_STREQ(FindCommandEntry(0x594)->description, "編集位置を1つ前の同じ種類のイベントに移動");
  EXPECT_EQ(FindCommandEntry(0x999), nullptr);

  auto channelEditing = CommandsOfCategory(8);
  ASSERT_EQ(channelEditing.size(), 7u);
  EXPECT_STREQ(channelEditing[5].description, "ピッチベンドの入力");
  EXPECT_STREQ(channelEditing[6].description, "パンポットの入力");
  EXPECT_EQ(CommandsOfCategory(7).size(), 32u);
  EXPECT_TRUE(CommandsOfCategory(0).size() == 1u);

  // Rows where the keys and hints are easy to mistype.
  EXPECT_EQ(keys[13].command, 0x20B);
  EXPECT_EQ(keys[13].key, 0x7B);
  EXPECT_EQ(keys[13].shift, 1);
  EXPECT_EQ(keys[48].command, 0x5B1);
  EXPECT_EQ(keys[48].key, 0x28);
  EXPECT_EQ(keys[48].hint, "標準チック移動はコントロール アルト 左右カーソル");
  EXPECT_EQ(keys[99].key, 0xC0);
  EXPECT_EQ(keys[103].hint, "パンポットは大文字のP");
}

TEST(CommandTable, LookupComparesAllFourFields) {
  CKeyTable table;
  ASSERT_NE(table.Find(0x20, 1, 0, 0), nullptr);
  EXPECT_EQ(table.Find(0x20, 1, 0, 0)->command, 0x111);
  EXPECT_EQ(table.Find(0x20, 0, 0, 0)->command, 0x112);
  EXPECT_EQ(table.Find(0x20, 1, 0, 1)->command, 0x406);
  EXPECT_EQ(table.Find(0x20, 1, 1, 1)->command, 0x408);
  EXPECT_EQ(table.Find(0x20, 1, 1, 0)->command, 0x801);
  EXPECT_EQ(table.Find(0x20, 0, 1, 0)->command, 0x804);
  EXPECT_EQ(table.Find(0x20, 0, 0, 1), nullptr);
  EXPECT_EQ(table.Find(0x70, 0, 1, 0)->command, 0x729);
}

TEST(CommandTable, SpokenCommandItems) {
  CKeyTable table;
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x411), table),
            "範囲の音をクリアする コントロール .");
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x709), table),
            "編集対象をチャネル9のトラックに切り替え コントロール ファンクション9 シフト "
            "コントロール ファンクション1");
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x408), table),
            "範囲の指定チャネルを再生 シフト コントロール アルト スペース");
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x811), table),
            "チャネルの音色を変更 コントロール アットマーク");
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x541), table), "編集位置を曲の先頭に移動 $");
  EXPECT_EQ(SpokenKeyName(0x28), "下カーソル");
  EXPECT_EQ(SpokenKeyName(0x7B), "ファンクション12");
  EXPECT_EQ(SpokenKeyName(0x100 + 'A'), "A");  // only the low byte counts
  EXPECT_EQ(SpokenKeyName(0xB1), "ｱ");         // a single-byte katakana code
  EXPECT_EQ(SpokenKeyName(0), "");
}

class ShortcutFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zentory_keys_" + std::to_string(::getpid()) + "_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "shortcut.dat").string();
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
  fs::path dir_;
  std::string path_;
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(ShortcutFileTest, FirstStartWritesTheBuiltInTable) {
  CKeyTable table;
  table.Load(path_);
  EXPECT_TRUE(box_.Boxes().empty());
  auto bytes = ReadBytes();
  ASSERT_EQ(bytes.size(), 28708u);
  EXPECT_EQ(LoadLe32(&bytes[0]), 104);
  EXPECT_EQ(LoadLe32(&bytes[4]), 0x101);
  EXPECT_EQ(LoadLe32(&bytes[8]), 1);
  EXPECT_EQ(LoadLe32(&bytes[12]), 0);
  EXPECT_EQ(LoadLe32(&bytes[16]), 0);
  EXPECT_EQ(LoadLe32(&bytes[20]), 0x4E);
  std::string hint = Utf8ToCp932("ニューのN");
  EXPECT_EQ(std::string(bytes.begin() + 24, bytes.begin() + 24 + long(hint.size())), hint);
  EXPECT_TRUE(std::all_of(bytes.begin() + 24 + long(hint.size()), bytes.begin() + 280,
                          [](std::uint8_t b) { return b == 0; }));

  // A later start reads it back unchanged, hints decoded.
  CKeyTable again;
  again.Load(path_);
  ASSERT_EQ(again.Rows().size(), 104u);
  for (std::size_t i = 0; i < 104; ++i) {
    EXPECT_EQ(again.Rows()[i].hint, BuiltInKeyAssignments()[i].hint);
    EXPECT_EQ(again.Rows()[i].key, BuiltInKeyAssignments()[i].key);
  }
  EXPECT_EQ(ReadBytes(), bytes);
}

TEST_F(ShortcutFileTest, UserRowsReplaceTheTable) {
  WriteBytes(EncodeShortcutFile({{0x611, 1, 0, 0, 0x56, "バージョン"}}));
  CKeyTable table;
  table.Load(path_);
  EXPECT_TRUE(box_.Boxes().empty());
  ASSERT_EQ(table.Rows().size(), 1u);
  EXPECT_EQ(table.Find(0x56, 1, 0, 0)->command, 0x611);
  EXPECT_EQ(table.Find(0x4E, 1, 0, 0), nullptr);
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x101), table), "曲の新規作成");

  // No rows at all is a valid file, and trailing bytes are ignored.
  auto empty = EncodeShortcutFile({});
  empty.resize(empty.size() + 100, 0x55);
  WriteBytes(empty);
  table.Load(path_);
  EXPECT_TRUE(table.Rows().empty());
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(ShortcutFileTest, HintsFillingTheirFieldStopAtIt) {
  std::string longHint(300, 'x');
  auto bytes = EncodeShortcutFile({{0x101, 1, 0, 0, 0x4E, longHint}});
  EXPECT_EQ(bytes[4 + 20 + 254], 'x');
  EXPECT_EQ(bytes[4 + 20 + 255], 0);
  std::fill(bytes.begin() + 24, bytes.end(), 'y');  // no terminator in the field
  WriteBytes(bytes);
  CKeyTable table;
  table.Load(path_);
  ASSERT_EQ(table.Rows().size(), 1u);
  EXPECT_EQ(table.Rows()[0].hint, std::string(256, 'y'));
}

TEST_F(ShortcutFileTest, BrokenFilesKeepTheBuiltInTable) {
  const std::string kSizeError = "GENE0100000D ファイルサイズにエラーがあります。";
  auto one = EncodeShortcutFile({{0x611, 1, 0, 0, 0x56, ""}});
  std::vector<std::vector<std::uint8_t>> broken = {
      {},                                                     // empty
      {1, 0},                                                 // shorter than a count
      std::vector<std::uint8_t>(one.begin(), one.end() - 1),  // one byte short of its row
      {0xFF, 0xFF, 0xFF, 0xFF},                               // negative count
      {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3},                      // a count far beyond the data
  };
  for (const auto& bytes : broken) {
    box_.Clear();
    WriteBytes(bytes);
    CKeyTable table;
    table.Load(path_);
    EXPECT_EQ(table.Rows().size(), 104u);
    ASSERT_EQ(box_.Boxes().size(), 1u);
    EXPECT_EQ(box_.Boxes()[0], kSizeError);
    EXPECT_EQ(ReadBytes(), bytes);  // the user's file is never rewritten
  }

  // A directory in its place cannot be read: the path, the open error, the size error.
  box_.Clear();
  fs::remove(path_);
  fs::create_directory(path_);
  CKeyTable table;
  table.Load(path_);
  EXPECT_EQ(table.Rows().size(), 104u);
  ASSERT_EQ(box_.Boxes().size(), 3u);
  EXPECT_EQ(box_.Boxes()[0], path_);
  EXPECT_EQ(box_.Boxes()[1].substr(0, 12), "GENE01000007");
  EXPECT_EQ(box_.Boxes()[2], kSizeError);
  EXPECT_TRUE(fs::is_directory(path_));
}

TEST_F(ShortcutFileTest, UnwritableFolderKeepsTheTableInMemory) {
  CKeyTable table;
  table.Load((dir_ / "missing" / "shortcut.dat").string());
  EXPECT_EQ(table.Rows().size(), 104u);
  ASSERT_EQ(box_.Boxes().size(), 1u);
  EXPECT_EQ(box_.Boxes()[0].substr(0, 12), "GENE01000007");
}

}  // namespace
}  // namespace zentory
