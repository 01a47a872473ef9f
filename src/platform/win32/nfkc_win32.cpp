// NFKC through Windows's own normaliser, so the user's readings match half-width kana and
// full-width digits as on Linux.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/espeak_mecab/speech_text.h"

namespace zentory {

std::string NormalizeNfkc(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int wideSize = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (wideSize <= 0) return std::string(utf8);
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), wideSize);
  // The first call estimates; a second one is needed when the estimate was short.
  int n = NormalizeString(NormalizationKC, wide.data(), wideSize, nullptr, 0);
  std::wstring normal;
  for (int attempt = 0; attempt < 3 && n > 0; ++attempt) {
    normal.assign(static_cast<std::size_t>(n), L'\0');
    const int got = NormalizeString(NormalizationKC, wide.data(), wideSize, normal.data(), n);
    if (got > 0) {
      normal.resize(static_cast<std::size_t>(got));
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::string(utf8);
    n = -got;
    normal.clear();
  }
  if (normal.empty()) return std::string(utf8);
  const int outSize = static_cast<int>(normal.size());
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, normal.data(), outSize, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string(utf8);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, normal.data(), outSize, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace zentory
