// Filling the numbered announcement patterns ("トラック[%d]").
#pragma once

#include <initializer_list>
#include <string>

namespace zentory::texts {

// TEMPLATE with its %d placeholders replaced by VALUES, in order.
std::string FormatNumbers(const char* templateText, std::initializer_list<long long> values);

}  // namespace zentory::texts
