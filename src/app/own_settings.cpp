#include "app/own_settings.h"

#include <span>

#include "base/general.h"

namespace zentory {

namespace {

// A settings file of a few lines; anything near this size is not one of ours.
constexpr std::size_t kMaxBytes = 64 * 1024;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// The name of a "name=value" line; empty for comments and other lines.
std::string_view NameOf(std::string_view line) {
  if (line.starts_with('#') || line.starts_with(';')) return {};
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return {};
  return Trim(line.substr(0, eq));
}

}  // namespace

void COwnSettings::Load(const std::string& path) {
  lines_.clear();
  if (path.empty() || !FileExists(path)) return;
  const std::uint32_t size = GetFileSize32(path);
  if (size == 0 || size > kMaxBytes) return;
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, kMaxBytes)) return;
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark an editor added
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines_.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

bool COwnSettings::Save(const std::string& path) const {
  std::string text;
  for (const std::string& line : lines_) text += line + '\n';
  return WriteWholeFile(path,
                        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<std::string> COwnSettings::Get(std::string_view name) const {
  for (const std::string& line : lines_) {
    if (NameOf(line) == name)
      return std::string(Trim(std::string_view(line).substr(line.find('=') + 1)));
  }
  return std::nullopt;
}

bool COwnSettings::GetBool(std::string_view name, bool fallback) const {
  const auto value = Get(name);
  if (value == "1") return true;
  if (value == "0") return false;
  return fallback;
}

void COwnSettings::Set(std::string_view name, std::string_view value) {
  std::string line = std::string(name) + "=";
  // One line per setting: a line break in a value (a voice's name) would start another.
  for (char c : value) line += (c == '\n' || c == '\r') ? ' ' : c;
  for (std::string& existing : lines_) {
    if (NameOf(existing) == name) {
      existing = std::move(line);
      return;
    }
  }
  lines_.push_back(std::move(line));
}

}  // namespace zentory
