// The 30 key signatures a user can type, with the bytes of their key-signature meta event.
#pragma once

#include <span>
#include <string_view>

namespace zentory {

struct KeySignatureRow {
  const char* name;  // as typed and spoken: "C", "F#m", "Bb"
  int minor;         // 0 major, 1 minor
  int sharps;        // negative: flats
};

std::span<const KeySignatureRow> KeySignatureTable();
// The row whose name is exactly NAME (case-sensitive), or null.
const KeySignatureRow* FindKeySignature(std::string_view name);
// The name of the key with SHARPS (negative: flats) and MINOR, or null when no row has them.
const char* KeySignatureName(int sharps, int minor);

}  // namespace zentory
