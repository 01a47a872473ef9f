#include "base/text_codec.h"

#include <cstdio>

namespace zentory {

namespace {

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

std::string Utf8ToCp932Limited(std::string_view utf8, std::size_t maxBytes) {
  std::string bytes = Utf8ToCp932(utf8);
  if (bytes.size() <= maxBytes) return bytes;
  std::size_t cut = 0;
  while (cut < maxBytes) {
    std::size_t width = IsCp932Lead(static_cast<unsigned char>(bytes[cut])) ? 2 : 1;
    if (cut + width > maxBytes) break;
    cut += width;
  }
  bytes.resize(cut);
  return bytes;
}

std::string EchoLine(std::string_view prefix, std::string_view text) {
  std::string line(prefix);
  line.reserve(prefix.size() + text.size());
  char hex[8];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else if (c == '\t') {
      line += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      // ESC and the other control bytes would move a terminal's cursor or end the line.
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      line += hex;
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      // The C1 controls (NEL among them) in their UTF-8 form.
      std::snprintf(hex, sizeof hex, "\\u%04X", next);
      line += hex;
      ++i;
    } else if (c == 0xE2 && next == 0x80 && i + 2 < text.size() &&
               (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
      // The Unicode line and paragraph separators.
      line += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      line += static_cast<char>(c);
    }
  }
  return line;
}

std::size_t Cp932Length(std::string_view utf8) { return Utf8ToCp932(utf8).size(); }

std::string Utf8CutToCp932Length(std::string_view utf8, std::size_t maxBytes) {
  if (Cp932Length(utf8) <= maxBytes) return std::string(utf8);
  std::size_t at = 0, bytes = 0;
  while (at < utf8.size()) {
    // One character: its lead byte and the continuation bytes after it.
    std::size_t end = at + 1;
    while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
    const std::size_t width = Cp932Length(utf8.substr(at, end - at));
    if (bytes + width > maxBytes) break;
    bytes += width;
    at = end;
  }
  return std::string(utf8.substr(0, at));
}

}  // namespace zentory
