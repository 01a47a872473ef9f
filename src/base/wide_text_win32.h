// UTF-8 <-> UTF-16 for the wide-character calls of the Windows build: paths, window texts,
// dialogs, device and voice names all convert here.
#pragma once

#include <string>
#include <string_view>

namespace zentory {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace zentory
