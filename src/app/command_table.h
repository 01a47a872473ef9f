// The command vocabulary: categories, commands with their spoken descriptions, and the key
// assignments that turn a key press into a command (built in, or replaced by shortcut.dat).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentory {

struct CommandCategory {
  int id;
  const char* name;
};

// CATEGORY is the high byte of COMMAND (row 0 is the unassigned placeholder).
struct CommandEntry {
  int category;
  int command;
  const char* description;
};

struct KeyAssignment {
  int command;
  int ctrl;          // 1 = must be held, 0 = must not
  int shift;         // likewise
  int alt;           // likewise
  int key;           // Windows virtual-key code
  std::string hint;  // carried in shortcut.dat, never spoken
};

// 9 rows; row 0 "未割当" is never offered in menu mode.
const std::vector<CommandCategory>& CommandCategories();
// 97 rows of the built-in vocabulary (row 0 {0, 0, "未割当"} is never listed), then the
// commands added to it (kAddedCommandCount).
const std::vector<CommandEntry>& CommandEntries();
inline constexpr std::size_t kAddedCommandCount = 10;
// The 104 built-in key rows: the rows a first start writes to shortcut.dat.
const std::vector<KeyAssignment>& BuiltInKeyAssignments();
// The default keys of the added commands. They follow the 104 rows in memory and are never
// written to shortcut.dat; a file without them gets each where its key is free.
const std::vector<KeyAssignment>& AddedKeyAssignments();

// Every entry of CATEGORY (1..8), in table order.
std::vector<CommandEntry> CommandsOfCategory(int category);
// The entry of COMMAND, or null when the table has none.
const CommandEntry* FindCommandEntry(int command);

// The key table the main window owns.
class CKeyTable {
 public:
  CKeyTable();  // the built-in rows, then the added commands' rows

  // Takes the rows of the shortcut.dat at PATH in place of the built-in ones, or writes the
  // built-in rows there when no file exists. A file that cannot be read, is empty, or is shorter
  // than its row count says is rejected: the built-in rows stay and GENE 0100000D is shown.
  void Load(const std::string& path);

  // The first row, in table order, whose four fields all equal the arguments; null when none.
  const KeyAssignment* Find(int key, int ctrl, int shift, int alt) const;
  const std::vector<KeyAssignment>& Rows() const { return rows_; }

 private:
  // Appends each added command's default row when the command has no row and its key is free.
  void AddMissingCommands();
  std::vector<KeyAssignment> rows_;
};

// The bytes of a shortcut.dat holding ROWS: the count, then 276-byte rows with CP932 hints.
std::vector<std::uint8_t> EncodeShortcutFile(const std::vector<KeyAssignment>& rows);
inline constexpr std::size_t kShortcutRowBytes = 276;
// The rows of a shortcut.dat image. False, ROWS untouched, when DATA is too short for a count,
// the count is negative, or DATA cannot hold the rows the count promises; DATA is never read past
// its end. Bytes after the last row are ignored; rows are taken without validation.
bool DecodeShortcutFile(const std::vector<std::uint8_t>& data, std::vector<KeyAssignment>& rows);

// The spoken key name of a virtual-key code ("スペース", "ファンクション3", "N", ...).
std::string SpokenKeyName(int key);
// The keys of COMMAND as menu mode names them ("コントロール Q", "シフト コントロール L"), the
// first row only; "" when no row runs it.
std::string SpokenKeysOf(int command, const CKeyTable& keys);
// What menu mode says for ENTRY: its description, then every key of the command in table order
// (" シフト", " コントロール", " アルト" as held, a blank, the key's spoken name).
std::string SpokenCommandItem(const CommandEntry& entry, const CKeyTable& keys);

}  // namespace zentory
