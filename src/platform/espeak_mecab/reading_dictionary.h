// The user's own readings: readings.txt beside setup.ini, UTF-8, one "text<TAB>reading" per line,
// lines starting with '#' are comments. They let a user fix how the names in their own songs are
// read (track names, markers, lyrics) and come before every built-in reading rule.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zentory {

class CReadingDictionary {
 public:
  static constexpr const char* kFileName = "readings.txt";

  // The entries of CONTENT. A malformed line (no tab, an empty text or reading, a second tab,
  // bytes that are not UTF-8) is skipped and its 1-based number added to BADLINES.
  static CReadingDictionary Parse(std::string_view content, std::vector<int>& badLines);
  // FOLDER/readings.txt; no file is an empty dictionary. NOTICE gets one sentence naming every
  // malformed line, or saying that the file could not be read; it stays empty when all is well.
  static CReadingDictionary Load(const std::string& folder, std::string& notice);

  // TEXT with every entry replaced by its reading, the longest text first at each place.
  std::string Apply(std::string_view text) const;
  std::size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    std::string text;
    std::string reading;
  };
  void Add(std::string text, std::string reading);
  std::vector<Entry> entries_;
  // Entries by the first byte of their text, longest first.
  std::array<std::vector<std::size_t>, 256> byFirstByte_;
};

}  // namespace zentory
