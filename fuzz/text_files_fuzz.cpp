// Feeds arbitrary bytes to the readers of the user's own files and texts: shortcut.dat (which the
// user may edit), key-script lines and the CP932 codec. None may read outside its input, and
// what the codec makes must stay within the limits it promises.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_table.h"
#include "app/script_front_end.h"
#include "base/error_report.h"
#include "base/ports/dialogs.h"
#include "base/text_codec.h"

namespace {
class QuietBox : public zentory::IMessageBox {
 public:
  int Show(std::string_view) override { return 1; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QuietBox box;
  zentory::SetMessageBoxTarget(&box);

  std::vector<std::uint8_t> bytes(data, data + size);
  std::vector<zentory::KeyAssignment> rows;
  if (zentory::DecodeShortcutFile(bytes, rows)) {
    // What decodes must encode to the same row count.
    std::vector<std::uint8_t> again = zentory::EncodeShortcutFile(rows);
    std::vector<zentory::KeyAssignment> back;
    if (!zentory::DecodeShortcutFile(again, back) || back.size() != rows.size()) __builtin_trap();
  }

  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  (void)zentory::ParseScriptLine(text, &error);

  std::string utf8 = zentory::Cp932ToUtf8(text);
  std::string limited = zentory::Utf8ToCp932Limited(utf8, 254);
  if (limited.size() > 254) __builtin_trap();
  (void)zentory::Utf8ToCp932(text);
  return 0;
}
