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
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

TEST(CommandTable, BuiltInTablesAreConsistent) {
  const auto& entries = CommandEntries();
  const auto& keys = BuiltInKeyAssignments();
  ASSERT_EQ(CommandCategories().size(), 9u);
  ASSERT_EQ(entries.size(), 97u + kAddedCommandCount);
  ASSERT_EQ(keys.size(), 104u);
  EXPECT_STREQ(CommandCategories()[5].name, "編集位置指定");

  // Commands follow the order of their first key row, once each, category = high byte.
  std::vector<int> firstOccurrence;
  std::set<std::tuple<int, int, int, int>> distinctKeys;
  std::vector<KeyAssignment> allKeys = keys;
  allKeys.insert(allKeys.end(), AddedKeyAssignments().begin(), AddedKeyAssignments().end());
  for (const auto& k : allKeys) {
    if (std::find(firstOccurrence.begin(), firstOccurrence.end(), k.command) ==
        firstOccurrence.end())
      firstOccurrence.push_back(k.command);
    EXPECT_TRUE(distinctKeys.insert({k.key, k.ctrl, k.shift, k.alt}).second);
  }
  ASSERT_EQ(firstOccurrence.size(), 96u + kAddedCommandCount);
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].command, firstOccurrence[i - 1]) << "row " << i;
    EXPECT_EQ(entries[i].category, entries[i].command >> 8) << "row " << i;
  }

  EXPECT_STREQ(FindCommandEntry(0x301)->description, "MMLの設定値の読み上げ\t");
  EXPECT_STREQ(FindCommandEntry(0x596)->description,
               "編集位置を次の同じ種類の同じコマンドのイベントに移動");
  EXPECT_STREQ(FindCommandEntry(0x20A)->description, "編集対象トラックを１つ前のトラックに変更");
  auto channelEditing = CommandsOfCategory(8);
  ASSERT_EQ(channelEditing.size(), 7u);
  EXPECT_STREQ(channelEditing[5].description, "ピッチベンドの入力");
  EXPECT_STREQ(channelEditing[6].description, "パンポットの入力");
  // The tick-step rows, whose hints contradict their keys.
  EXPECT_EQ(keys[48].command, 0x5B1);
  EXPECT_EQ(keys[48].key, 0x28);
  EXPECT_EQ(keys[48].hint, "標準チック移動はコントロール アルト 左右カーソル");
}

TEST(CommandTable, LookupAndSpokenItems) {
  CKeyTable table;
  // Space with six modifier sets is six keys.
  const std::tuple<int, int, int, int> kSpaces[] = {{1, 0, 0, 0x111}, {0, 0, 0, 0x112},
                                                    {1, 0, 1, 0x406}, {1, 1, 1, 0x408},
                                                    {1, 1, 0, 0x801}, {0, 1, 0, 0x804}};
  for (auto [ctrl, shift, alt, command] : kSpaces) {
    const KeyAssignment* row = table.Find(0x20, ctrl, shift, alt);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->command, command);
  }
  EXPECT_EQ(table.Find(0x20, 0, 0, 1), nullptr);

  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x411), table),
            "範囲の音をクリアする コントロール デリート");
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x709), table),
            "編集対象をチャネル9のトラックに切り替え コントロール ファンクション9 シフト "
            "コントロール ファンクション1");
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x408), table),
            "範囲の指定チャネルを再生 シフト コントロール アルト スペース");
  EXPECT_EQ(SpokenKeyName(0xC0), "アットマーク");
  // Keys without a character are named, never read as the character of their code.
  EXPECT_EQ(SpokenKeyName(0x24), "ホーム");
  EXPECT_EQ(SpokenKeyName(0x6B), "テンキーのプラス");
  EXPECT_EQ(SpokenKeyName(0x65), "テンキーの5");
  EXPECT_EQ(SpokenKeyName(0x86), "ファンクション23");
  EXPECT_EQ(SpokenKeyName('7'), "7");
  EXPECT_EQ(SpokenKeyName(0xB1), "キーコード[177]");
  EXPECT_EQ(SpokenKeyName(0), "キーコード[0]");
}

class ShortcutFileTest : public ::testing::Test {
 protected:
  void Write(const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::vector<std::uint8_t> Read() {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  test_support::TempDir dir_;
  std::string path_ = dir_.File("shortcut.dat");
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(ShortcutFileTest, FirstStartWritesTheBuiltInTableAndLaterStartsReadIt) {
  CKeyTable table;
  table.Load(path_);
  auto bytes = Read();
  ASSERT_EQ(bytes.size(), 28708u);
  const std::int32_t kFirstRow[] = {104, 0x101, 1, 0, 0, 0x4E};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(LoadLe32(&bytes[4 * i]), kFirstRow[i]);
  std::string hint = Utf8ToCp932("ニューのN");
  ASSERT_EQ(hint.size(), 9u);
  EXPECT_EQ(std::string(bytes.begin() + 24, bytes.begin() + 33), hint);
  EXPECT_TRUE(std::all_of(bytes.begin() + 33, bytes.begin() + 280, [](auto b) { return b == 0; }));

  // The added commands follow the 104 rows in memory, never in the file.
  EXPECT_EQ(table.Rows().size(), 104u + kAddedCommandCount);
  CKeyTable again;
  again.Load(path_);
  ASSERT_EQ(again.Rows().size(), 104u + kAddedCommandCount);
  EXPECT_EQ(again.Rows()[103].hint, "パンポットは大文字のP");
  EXPECT_EQ(again.Rows()[104].command, 0x131);
  EXPECT_EQ(again.Find(0x5A, 1, 1, 0)->command, 0x331);
  EXPECT_EQ(SpokenKeysOf(0x331, again), "シフト コントロール Z");
  EXPECT_EQ(Read(), bytes);
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(ShortcutFileTest, UserRowsReplaceTheTable) {
  std::vector<KeyAssignment> rows = {{0x611, 1, 0, 0, 0x56, std::string(300, 'x')}};
  auto bytes = EncodeShortcutFile(rows);
  EXPECT_EQ(bytes[4 + 20 + 255], 0);  // a long hint keeps its terminator
  Write(bytes);
  CKeyTable table;
  table.Load(path_);
  ASSERT_EQ(table.Rows().size(), 1u + kAddedCommandCount);
  EXPECT_EQ(table.Find(0x56, 1, 0, 0)->command, 0x611);
  EXPECT_EQ(table.Find(0x4E, 1, 0, 0), nullptr);
  EXPECT_EQ(SpokenCommandItem(*FindCommandEntry(0x101), table), "曲の新規作成");

  // A hint filling its field without a terminator, and trailing bytes after the rows.
  std::fill(bytes.begin() + 24, bytes.end(), 'y');
  bytes.resize(bytes.size() + 100, 0x55);
  Write(bytes);
  table.Load(path_);
  ASSERT_EQ(table.Rows().size(), 1u + kAddedCommandCount);
  EXPECT_EQ(table.Rows()[0].hint, std::string(256, 'y'));

  Write(EncodeShortcutFile({}));  // no rows: only the added commands' keys run commands
  table.Load(path_);
  EXPECT_EQ(table.Rows().size(), kAddedCommandCount);

  // A file that gives an added command's key to another command keeps it; the added command
  // then has no key, and a file that names the added command keeps its own key for it.
  Write(EncodeShortcutFile({{0x611, 1, 0, 0, 0x59, ""}, {0x331, 0, 0, 0, 0x7B, ""}}));
  table.Load(path_);
  EXPECT_EQ(table.Find(0x59, 1, 0, 0)->command, 0x611);
  EXPECT_EQ(SpokenKeysOf(0x332, table), "");
  EXPECT_EQ(table.Find(0x5A, 1, 1, 0), nullptr);
  EXPECT_EQ(SpokenKeysOf(0x331, table), "ファンクション12");
  EXPECT_TRUE(box_.Boxes().empty());
}

TEST_F(ShortcutFileTest, BrokenFilesKeepTheBuiltInTableAndStayUntouched) {
  const std::string kSizeError = "GENE0100000D ファイルサイズにエラーがあります。";
  auto one = EncodeShortcutFile({{0x611, 1, 0, 0, 0x56, ""}});
  const std::vector<std::vector<std::uint8_t>> kBroken = {
      {},
      {1, 0},
      std::vector<std::uint8_t>(one.begin(), one.end() - 1),
      {0xFF, 0xFF, 0xFF, 0xFF},           // negative count
      {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3},  // 4 + 276 * N overflows 32 bits
  };
  for (const auto& bytes : kBroken) {
    box_.Clear();
    Write(bytes);
    CKeyTable table;
    table.Load(path_);
    EXPECT_EQ(table.Rows().size(), 104u + kAddedCommandCount);
    EXPECT_EQ(box_.Boxes(), std::vector<std::string>{kSizeError});
    EXPECT_EQ(Read(), bytes);
  }

  // Present but unreadable: the path and the open error, nothing more.
  box_.Clear();
  fs::remove(path_);
  fs::create_directory(path_);
  CKeyTable table;
  table.Load(path_);
  EXPECT_EQ(table.Rows().size(), 104u + kAddedCommandCount);
  ASSERT_EQ(box_.Boxes().size(), 2u);
  EXPECT_EQ(box_.Boxes()[0], path_);
  EXPECT_EQ(box_.Boxes()[1].substr(0, 12), "GENE01000007");
}

}  // namespace
}  // namespace zentory
