// shortcut.dat is read only as far as its row count says.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "app/command_table.h"
#include "base/general.h"
#include "platform/fakes/fakes.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

TEST(ShortcutRead, OnlyTheCountedRowsAreReadAndAnImpossibleCountIsRefused) {
  test_support::TempDir dir;
  const std::string path = dir.File("shortcut.dat");
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  const std::vector<KeyAssignment> rows = {{104, 1, 0, 0, 0x4E, "N"}};
  std::vector<std::uint8_t> bytes = EncodeShortcutFile(rows);
  {
    // One valid row, then 8 MB that a reader must not need.
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    const std::vector<char> tail(8 << 20, '\x7F');
    out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  }
  CKeyTable table;
  table.Load(path);
  // The file's row, then the added commands' default keys, which are free in it.
  ASSERT_EQ(table.Rows().size(), 1u + kAddedCommandCount);
  EXPECT_EQ(table.Rows()[0].hint, "N");
  EXPECT_TRUE(box.Boxes().empty());

  // A count that the file cannot hold keeps the built-in table and says so.
  StoreLe32(bytes.data(), 0x7FFFFFFF);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  table.Load(path);
  EXPECT_EQ(table.Rows().size(), BuiltInKeyAssignments().size() + kAddedCommandCount);
  EXPECT_EQ(box.Boxes(),
            (std::vector<std::string>{"GENE0100000D ファイルサイズにエラーがあります。"}));
}

}  // namespace
}  // namespace zentory
