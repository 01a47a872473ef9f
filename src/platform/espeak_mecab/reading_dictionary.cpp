#include "platform/espeak_mecab/reading_dictionary.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/espeak_mecab/speech_text.h"
#include "platform/espeak_mecab/voice_texts.h"

namespace zentory {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80           ? 1
                    : (c >> 5) == 0x6  ? 2
                    : (c >> 4) == 0xE  ? 3
                    : (c >> 3) == 0x1E ? 4
                                       : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

void CReadingDictionary::Add(std::string text, std::string reading) {
  for (const Entry& e : entries_) {
    if (e.text == text) return;  // the first line for a text wins
  }
  entries_.push_back(Entry{std::move(text), std::move(reading)});
  const std::size_t index = entries_.size() - 1;
  auto& bucket = byFirstByte_[static_cast<unsigned char>(entries_[index].text[0])];
  bucket.push_back(index);
  std::stable_sort(bucket.begin(), bucket.end(), [this](std::size_t a, std::size_t b) {
    return entries_[a].text.size() > entries_[b].text.size();
  });
}

CReadingDictionary CReadingDictionary::Parse(std::string_view content, std::vector<int>& badLines) {
  CReadingDictionary dictionary;
  if (content.starts_with(kBom)) content.remove_prefix(kBom.size());
  int number = 0;
  while (!content.empty()) {
    std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    ++number;
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    std::size_t tab = line.find('\t');
    std::string_view text = tab == std::string_view::npos ? line : Trim(line.substr(0, tab));
    std::string_view reading = tab == std::string_view::npos ? "" : Trim(line.substr(tab + 1));
    if (tab == std::string_view::npos || text.empty() || reading.empty() ||
        reading.find('\t') != std::string_view::npos || !IsUtf8(line)) {
      badLines.push_back(number);
      continue;
    }
    // Matched against normalised text, so half-width kana and full-width digits match too.
    std::string key = NormalizeNfkc(text);
    if (key.empty()) {
      badLines.push_back(number);
      continue;
    }
    dictionary.Add(std::move(key), std::string(reading));
  }
  return dictionary;
}

CReadingDictionary CReadingDictionary::Load(const std::string& folder, std::string& notice) {
  notice.clear();
  std::filesystem::path path = std::filesystem::path(folder.empty() ? "." : folder) / kFileName;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !ec) return {};
  std::ifstream file(path, std::ios::binary);
  std::string content;
  if (file) content.assign(std::istreambuf_iterator<char>(file), {});
  if (!file && !file.eof()) {
    notice = voice_texts::kUnreadableReadings;
    return {};
  }
  std::vector<int> badLines;
  CReadingDictionary dictionary = Parse(content, badLines);
  if (!badLines.empty()) {
    std::string lines;
    for (int n : badLines) {
      if (!lines.empty()) lines += voice_texts::kLineJoin;
      lines += std::to_string(n);
    }
    std::string_view pattern = voice_texts::kBadReadingLines;
    std::size_t at = pattern.find("%s");
    notice = std::string(pattern.substr(0, at)) + lines + std::string(pattern.substr(at + 2));
  }
  return dictionary;
}

std::string CReadingDictionary::Apply(std::string_view text) const {
  if (entries_.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Entry* match = nullptr;
    for (std::size_t index : byFirstByte_[static_cast<unsigned char>(text[i])]) {
      if (text.compare(i, entries_[index].text.size(), entries_[index].text) == 0) {
        match = &entries_[index];
        break;
      }
    }
    if (match) {
      out += match->reading;
      i += match->text.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace zentory
