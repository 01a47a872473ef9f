// CP932 through glibc's iconv (the name "CP932": "SHIFT_JIS" lacks the Windows extensions).
#include <iconv.h>

#include <cerrno>

#include "base/text_codec.h"

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

}  // namespace zentory
