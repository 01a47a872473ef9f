#include "ui/win32/win32_ui_logic.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace zentory::win32ui {

namespace {

constexpr std::string_view kAllFilesName = "すべてのファイル (*.*)";
constexpr std::string_view kAllFilesPattern = "*.*";

}  // namespace

HookAction RouteHookKey(int code, std::uint32_t flags, bool mainWindowActive) {
  if (code < 0 || code == kHcNoRemove) return HookAction::kPass;
  if (!mainWindowActive) return HookAction::kPass;
  if ((flags & kKeyUpFlag) != 0) return HookAction::kDeliverUp;
  return (flags & kWasDownFlag) != 0 ? HookAction::kDeliverRepeat : HookAction::kDeliverDown;
}

std::string CommonDialogFilter(std::string_view filter) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= filter.size()) {
    std::size_t bar = filter.find('|', start);
    if (bar == std::string_view::npos) bar = filter.size();
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::string out;
  bool hasAll = false;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() || parts[i + 1].empty()) break;
    out.append(parts[i]).push_back('\0');
    out.append(parts[i + 1]).push_back('\0');
    if (parts[i + 1] == kAllFilesPattern) hasAll = true;
  }
  if (!hasAll) {
    out.append(kAllFilesName).push_back('\0');
    out.append(kAllFilesPattern).push_back('\0');
  }
  out.push_back('\0');
  return out;
}

std::string DefaultExtension(std::string_view extension) {
  while (!extension.empty() && (extension.front() == '*' || extension.front() == '.')) {
    extension.remove_prefix(1);
  }
  if (extension.find_first_of("*?.\\/:;|") != std::string_view::npos) return {};
  return std::string(extension);
}

long SapiRate(int rate) { return std::clamp(rate, -10, 10); }

unsigned short SapiVolume(int volume) {
  return static_cast<unsigned short>(std::clamp(volume, 0, 100));
}

bool IsJapaneseLanguageAttribute(std::string_view attribute) {
  std::size_t start = 0;
  while (start < attribute.size()) {
    std::size_t end = attribute.find(';', start);
    if (end == std::string_view::npos) end = attribute.size();
    std::string_view item = attribute.substr(start, end - start);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    unsigned value = 0;
    auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), value, 16);
    // The primary language is the low ten bits: 0x11 is Japanese whatever the sublanguage.
    if (ec == std::errc() && ptr == item.data() + item.size() && !item.empty() &&
        (value & 0x3FFu) == 0x11u) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

int FirstStartVoice(const std::vector<std::string>& languages) {
  for (std::size_t i = 0; i < languages.size(); ++i) {
    if (IsJapaneseLanguageAttribute(languages[i])) return static_cast<int>(i);
  }
  return languages.empty() ? -1 : 0;
}

}  // namespace zentory::win32ui
