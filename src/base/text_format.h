// Filling the numbered announcement patterns ("トラック[%d]").
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zentory::texts {

// TEMPLATE with its %d placeholders replaced by VALUES, in order.
std::string FormatNumbers(const char* templateText, std::initializer_list<long long> values);
// TEMPLATE with its %d and %s placeholders replaced by VALUES (already worded), in order.
std::string FormatTexts(const char* templateText, std::initializer_list<std::string_view> values);

}  // namespace zentory::texts
