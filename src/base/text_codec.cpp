#include "base/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace zentory {

namespace {

// One conversion; iconv descriptors are cheap to open and not shareable between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts IN; an input sequence that cannot be converted is skipped (SKIPLEN bytes: 1 for
  // CP932 input, one whole UTF-8 character for UTF-8 input) and REPLACEMENT is written instead.
  std::string Run(std::string_view in, std::string_view replacement, bool utf8Input) {
    std::string out;
    if (!ok()) return std::string(in);
    out.resize(in.size() * 3 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        size_t used = out.size() - dstLeft;
        out.resize(out.size() * 2);
        dst = out.data() + used;
        dstLeft = out.size() - used;
        continue;
      }
      // EILSEQ or EINVAL (a truncated sequence at the end): replace and go on.
      size_t skip = 1;
      if (utf8Input) {
        auto lead = static_cast<unsigned char>(*src);
        skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (skip > srcLeft) skip = srcLeft;
      }
      src += skip;
      srcLeft -= skip;
      if (dstLeft < replacement.size() + 1) {
        size_t used = out.size() - dstLeft;
        out.resize(out.size() * 2 + replacement.size());
        dst = out.data() + used;
        dstLeft = out.size() - used;
      }
      for (char c : replacement) {
        *dst++ = c;
        --dstLeft;
      }
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(out.size() - dstLeft);
    return out;
  }

 private:
  iconv_t cd_;
};

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  Converter c("UTF-8", "CP932");
  return c.Run(cp932, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  Converter c("CP932", "UTF-8");
  return c.Run(utf8, "?", true);
}

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
