#include "app/command_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/general.h"
#include "base/text_codec.h"

namespace zentory {

namespace {

// Every text this module says.
constexpr const char* kShiftText = " シフト";
constexpr const char* kControlText = " コントロール";
constexpr const char* kAltText = " アルト";
constexpr const char* kKeySeparator = " ";
constexpr const char* kFunctionKeyPattern = "ファンクション%d";

struct NamedKey {
  int key;
  const char* name;
};
// Every key a shortcut.dat may name that is not a letter or a digit: its name as a listener knows
// it. The punctuation keys are named by their unshifted character on the Japanese keyboard.
constexpr NamedKey kNamedKeys[] = {
    {0x08, "バックスペース"},
    {0x09, "タブ"},
    {0x0C, "クリア"},
    {0x0D, "エンター"},
    {0x10, "シフト"},
    {0x11, "コントロール"},
    {0x12, "アルト"},
    {0x13, "ポーズ"},
    {0x14, "キャプスロック"},
    {0x15, "カナ"},
    {0x19, "漢字"},
    {0x1B, "エスケープ"},
    {0x1C, "変換"},
    {0x1D, "無変換"},
    {0x20, "スペース"},
    {0x21, "ページアップ"},
    {0x22, "ページダウン"},
    {0x23, "エンド"},
    {0x24, "ホーム"},
    {0x25, "左カーソル"},
    {0x26, "上カーソル"},
    {0x27, "右カーソル"},
    {0x28, "下カーソル"},
    {0x2C, "プリントスクリーン"},
    {0x2D, "インサート"},
    {0x2E, "デリート"},
    {0x5B, "左ウィンドウズ"},
    {0x5C, "右ウィンドウズ"},
    {0x5D, "アプリケーション"},
    {0x6A, "テンキーのアスタリスク"},
    {0x6B, "テンキーのプラス"},
    {0x6C, "テンキーのエンター"},
    {0x6D, "テンキーのマイナス"},
    {0x6E, "テンキーのピリオド"},
    {0x6F, "テンキーのスラッシュ"},
    {0x90, "ナムロック"},
    {0x91, "スクロールロック"},
    {0xA0, "左シフト"},
    {0xA1, "右シフト"},
    {0xA2, "左コントロール"},
    {0xA3, "右コントロール"},
    {0xA4, "左アルト"},
    {0xA5, "右アルト"},
    {0xBA, "コロン"},
    {0xBB, "セミコロン"},
    {0xBC, "カンマ"},
    {0xBD, "マイナス"},
    {0xBE, "ピリオド"},
    {0xBF, "スラッシュ"},
    {0xC0, "アットマーク"},
    {0xDB, "左角かっこ"},
    {0xDC, "円マーク"},
    {0xDD, "右角かっこ"},
    {0xDE, "キャレット"},
    {0xE2, "バックスラッシュ"},
    {0xF0, "英数"},
    {0xF2, "カタカナひらがな"},
    {0xF3, "半角全角"},
    {0xF4, "半角全角"},
};
constexpr int kKeyF1 = 0x70;
constexpr int kKeyF24 = 0x87;
constexpr int kKeyNumpad0 = 0x60;
constexpr int kKeyNumpad9 = 0x69;
constexpr const char* kNumpadDigitPattern = "テンキーの%d";
// A code no key of the table has: the number, so the listener can still tell keys apart.
constexpr const char* kOtherKeyPattern = "キーコード[%d]";

constexpr std::size_t kCountBytes = 4;
constexpr std::size_t kHintOffset = 20;
constexpr std::size_t kHintBytes = 256;
static_assert(kHintOffset + kHintBytes == kShortcutRowBytes);

}  // namespace

std::vector<CommandEntry> CommandsOfCategory(int category) {
  std::vector<CommandEntry> out;
  for (const CommandEntry& e : CommandEntries()) {
    if (e.category == category) out.push_back(e);
  }
  return out;
}

const CommandEntry* FindCommandEntry(int command) {
  for (const CommandEntry& e : CommandEntries()) {
    if (e.command == command) return &e;
  }
  return nullptr;
}

bool DecodeShortcutFile(const std::vector<std::uint8_t>& data, std::vector<KeyAssignment>& rows) {
  if (data.size() < kCountBytes) return false;
  std::int32_t count = LoadLe32(data.data());
  if (count < 0) return false;
  std::uint64_t needed = kCountBytes + kShortcutRowBytes * static_cast<std::uint64_t>(count);
  if (needed > data.size()) return false;
  rows.clear();
  rows.reserve(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    const std::uint8_t* p = data.data() + kCountBytes + kShortcutRowBytes * i;
    const std::uint8_t* hint = p + kHintOffset;
    // A hint that fills its field without a terminator ends at the field's end.
    const std::uint8_t* hintEnd = std::find(hint, hint + kHintBytes, std::uint8_t{0});
    rows.push_back(KeyAssignment{
        LoadLe32(p), LoadLe32(p + 4), LoadLe32(p + 8), LoadLe32(p + 12), LoadLe32(p + 16),
        Cp932ToUtf8(std::string_view(reinterpret_cast<const char*>(hint),
                                     static_cast<std::size_t>(hintEnd - hint)))});
  }
  return true;
}

CKeyTable::CKeyTable() : rows_(BuiltInKeyAssignments()) { AddMissingCommands(); }

void CKeyTable::AddMissingCommands() {
  for (const KeyAssignment& added : AddedKeyAssignments()) {
    const bool assigned = std::any_of(rows_.begin(), rows_.end(), [&](const KeyAssignment& row) {
      return row.command == added.command;
    });
    if (!assigned && !Find(added.key, added.ctrl, added.shift, added.alt)) rows_.push_back(added);
  }
}

void CKeyTable::Load(const std::string& path) {
  rows_ = BuiltInKeyAssignments();
  std::error_code ec;
  bool present = std::filesystem::exists(PathFromUtf8(path), ec) || ec;
  if (!present) {
    // Only a missing file is created; an existing one is never replaced, even when unreadable.
    // The file holds the built-in rows alone, as every reader of it expects.
    WriteWholeFile(path, EncodeShortcutFile(rows_));
    AddMissingCommands();
    return;
  }
  // The user's file is never rewritten: the added commands join in memory only.
  struct AddLater {
    CKeyTable* table;
    ~AddLater() { table->AddMissingCommands(); }
  } addLater{this};
  std::vector<std::uint8_t> data;
  std::vector<KeyAssignment> rows;
  // ReadWholeFile reports an open failure itself (the path, then GENE 01000007); the built-in
  // rows stay in both cases. Only the rows the count names are read: bytes after them, however
  // many, cost nothing.
  if (!ReadWholeFile(path, data, kCountBytes)) return;
  if (data.size() == kCountBytes && LoadLe32(data.data()) >= 0) {
    const std::uint64_t needed =
        kCountBytes + kShortcutRowBytes * static_cast<std::uint64_t>(LoadLe32(data.data()));
    if (needed <= GetFileSize32(path) && !ReadWholeFile(path, data, needed)) return;
  }
  if (!DecodeShortcutFile(data, rows)) {
    GeneralError(gene::kFileSize);
    return;
  }
  rows_ = std::move(rows);
}

const KeyAssignment* CKeyTable::Find(int key, int ctrl, int shift, int alt) const {
  for (const KeyAssignment& row : rows_) {
    if (row.key == key && row.ctrl == ctrl && row.shift == shift && row.alt == alt) return &row;
  }
  return nullptr;
}

std::vector<std::uint8_t> EncodeShortcutFile(const std::vector<KeyAssignment>& rows) {
  std::vector<std::uint8_t> out(kCountBytes + kShortcutRowBytes * rows.size());
  StoreLe32(out.data(), static_cast<std::int32_t>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const KeyAssignment& row = rows[i];
    std::uint8_t* p = out.data() + kCountBytes + kShortcutRowBytes * i;
    StoreLe32(p, row.command);
    StoreLe32(p + 4, row.ctrl);
    StoreLe32(p + 8, row.shift);
    StoreLe32(p + 12, row.alt);
    StoreLe32(p + 16, row.key);
    // One byte of the field stays for the terminator; the rest is already zero.
    std::string hint = Utf8ToCp932Limited(row.hint, kHintBytes - 1);
    std::memcpy(p + kHintOffset, hint.data(), hint.size());
  }
  return out;
}

std::string SpokenKeyName(int key) {
  for (const NamedKey& k : kNamedKeys) {
    if (k.key == key) return k.name;
  }
  char buffer[64];
  if (key >= kKeyF1 && key <= kKeyF24) {
    std::snprintf(buffer, sizeof buffer, kFunctionKeyPattern, key - kKeyF1 + 1);
    return buffer;
  }
  if (key >= kKeyNumpad0 && key <= kKeyNumpad9) {
    std::snprintf(buffer, sizeof buffer, kNumpadDigitPattern, key - kKeyNumpad0);
    return buffer;
  }
  // Letters and digits read as themselves.
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    return std::string(1, static_cast<char>(key));
  std::snprintf(buffer, sizeof buffer, kOtherKeyPattern, key);
  return buffer;
}

namespace {
std::string SpokenKeysOfRow(const KeyAssignment& row) {
  std::string text;
  if (row.shift == 1) text += kShiftText;
  if (row.ctrl == 1) text += kControlText;
  if (row.alt == 1) text += kAltText;
  text += kKeySeparator;
  text += SpokenKeyName(row.key);
  return text;
}
}  // namespace

std::string SpokenKeysOf(int command, const CKeyTable& keys) {
  for (const KeyAssignment& row : keys.Rows()) {
    if (row.command == command) return SpokenKeysOfRow(row).substr(1);  // without the blank
  }
  return {};
}

std::string SpokenCommandItem(const CommandEntry& entry, const CKeyTable& keys) {
  std::string text = entry.description;
  for (const KeyAssignment& row : keys.Rows()) {
    if (row.command == entry.command) text += SpokenKeysOfRow(row);
  }
  return text;
}

}  // namespace zentory
