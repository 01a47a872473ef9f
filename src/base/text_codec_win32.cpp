// CP932 through the system's own code page 932 tables. A sequence that is not CP932 and a
// character CP932 cannot hold are replaced one at a time, as the iconv codec does: the whole-text
// conversion is tried first and a text with a fault is taken apart character by character.
// WC_NO_BEST_FIT_CHARS keeps Windows from writing a look-alike (a plain 'a' for 'à') in place of
// a character it cannot encode. The single bytes 0x80, 0xA0 and 0xFD..0xFF, which Windows maps to
// U+0080 and private-use characters, are not CP932 characters for the program on any system.
#include <windows.h>

#include <algorithm>

#include "base/text_codec.h"
#include "base/wide_text_win32.h"

namespace zentory {

namespace {

constexpr UINT kCp932 = 932;
constexpr const char* kReplacementUtf8 = "\xEF\xBF\xBD";

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The characters Windows alone gives the unassigned single bytes.
bool IsWindowsOnly(wchar_t c) { return c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3); }

bool HasWindowsOnly(const std::wstring& wide) {
  for (wchar_t c : wide) {
    if (IsWindowsOnly(c)) return true;
  }
  return false;
}

// Strict decoding of BYTES in CODEPAGE; false when they are not valid there.
bool Decode(UINT codePage, std::string_view bytes, std::wstring& out) {
  out.clear();
  if (bytes.empty()) return true;
  const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                    static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                             static_cast<int>(bytes.size()), out.data(), n) == n;
}

// Encodes WIDE in CP932 without best fit; false when any character has no CP932 form.
bool EncodeCp932(const std::wstring& wide, std::string& out) {
  out.clear();
  if (wide.empty()) return true;
  if (HasWindowsOnly(wide)) return false;
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(),
                                    static_cast<int>(wide.size()), nullptr, 0, "?", &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<std::size_t>(n));
  return WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(),
                             static_cast<int>(wide.size()), out.data(), n, "?",
                             &usedDefault) == n &&
         !usedDefault;
}

// The length of the UTF-8 sequence that LEAD starts (1 for a byte that starts none).
std::size_t Utf8Length(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  std::wstring wide;
  if (Decode(kCp932, cp932, wide) && !HasWindowsOnly(wide)) return Utf8FromWide(wide);
  std::string out;
  std::wstring one;
  for (std::size_t i = 0; i < cp932.size();) {
    const auto lead = static_cast<unsigned char>(cp932[i]);
    const std::size_t width = IsCp932Lead(lead) && i + 1 < cp932.size() ? 2 : 1;
    if (Decode(kCp932, cp932.substr(i, width), one) && !HasWindowsOnly(one)) {
      out += Utf8FromWide(one);
      i += width;
    } else {
      // One byte at a time, so a broken lead byte does not swallow the character after it.
      out += kReplacementUtf8;
      ++i;
    }
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::wstring wide;
  std::string out;
  if (Decode(CP_UTF8, utf8, wide) && EncodeCp932(wide, out)) return out;
  out.clear();
  std::string one;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t width =
        std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    if (Decode(CP_UTF8, utf8.substr(i, width), wide) && EncodeCp932(wide, one)) {
      out += one;
    } else {
      out += '?';
    }
    i += width;
  }
  return out;
}

}  // namespace zentory
