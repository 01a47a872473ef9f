// UTF-8 <-> UTF-16 for the W calls of the Windows front end.
#pragma once

#include <string>
#include <string_view>

namespace zentory::win32ui {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

}  // namespace zentory::win32ui
