// Turns the program's Japanese sentences into text the eSpeak NG Japanese voice reads well:
// NFKC (half-width katakana becomes katakana), kanji read through MeCab, numbers as Japanese
// numerals, and the few symbols of the program's sentences as words.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

struct mecab_t;

namespace zentory {

// One rule of the reading table.
struct SpeechTextRule {
  enum class Kind {
    kSymbol,  // the text anywhere (after NFKC) is replaced before MeCab sees it
    kWord,    // a MeCab word with exactly this surface is read as given
    kLetter,  // a Latin letter inside a short run of letters (note and key names)
  };
  Kind kind;
  const char* text;
  const char* reading;
  const char* feature = nullptr;  // kWord: only where MeCab's features start so (null: always)
};
// The reading table, in the order the rules apply.
std::span<const SpeechTextRule> SpeechTextRules();

// NFKC of UTF-8 text; the text unchanged when ICU fails.
std::string NormalizeNfkc(std::string_view utf8);
// The katakana reading of a run of ASCII digits ("1920" -> "センキュウヒャクニジュウ"); leading
// zeros are not read, very long runs are read digit by digit.
std::string NumberReading(std::string_view digits);

class CReadingConverter {
 public:
  // DICDIR: the MeCab dictionary folder; empty: look in the usual places for mecab-ipadic-utf8.
  explicit CReadingConverter(std::string dicDir = {});
  ~CReadingConverter();
  CReadingConverter(const CReadingConverter&) = delete;
  CReadingConverter& operator=(const CReadingConverter&) = delete;

  // False when no dictionary could be opened: kanji are then left as they are.
  bool HasDictionary() const { return tagger_ != nullptr; }
  const std::string& DictionaryDir() const { return dicDir_; }
  // The text as the voice should read it. Not thread-safe: one converter per thread.
  std::string ToReading(std::string_view utf8);

  // The first folder of the usual ones that holds an ipadic-utf8 dictionary, or empty.
  static std::string FindDictionary();

 private:
  struct Deleter {
    void operator()(mecab_t* m) const;
  };
  std::string dicDir_;
  std::unique_ptr<mecab_t, Deleter> tagger_;
};

}  // namespace zentory
