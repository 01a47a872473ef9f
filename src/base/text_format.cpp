#include "base/text_format.h"

#include <algorithm>
#include <string_view>

namespace zentory::texts {

std::string FormatNumbers(const char* templateText, std::initializer_list<long long> values) {
  std::string_view text(templateText);
  std::string out;
  auto value = values.begin();
  for (;;) {
    std::size_t at = text.find("%d");
    if (at == std::string_view::npos || value == values.end()) break;
    out.append(text.substr(0, at));
    out += std::to_string(*value++);
    text.remove_prefix(at + 2);
  }
  out.append(text);
  return out;
}

std::string FormatTexts(const char* templateText, std::initializer_list<std::string_view> values) {
  std::string_view text(templateText);
  std::string out;
  auto value = values.begin();
  while (value != values.end()) {
    const std::size_t d = text.find("%d"), s = text.find("%s");
    const std::size_t at = std::min(d, s);
    if (at == std::string_view::npos) break;
    out.append(text.substr(0, at));
    out.append(*value++);
    text.remove_prefix(at + 2);
  }
  out.append(text);
  return out;
}

}  // namespace zentory::texts
