// Turns the program's Japanese sentences into text the eSpeak NG Japanese voice reads well:
// NFKC (half-width katakana becomes katakana), the user's own readings, kanji read through MeCab
// (its pronunciation, so the particle は is ワ), numbers as Japanese numerals, error codes letter
// by letter, and the symbols and Latin words of the program's sentences as words.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/espeak_mecab/reading_dictionary.h"

struct mecab_t;

namespace zentory {

// One rule of the reading table.
struct SpeechTextRule {
  enum class Kind {
    kSymbol,  // the text anywhere (after NFKC) is replaced before MeCab sees it
    kWord,    // a MeCab word with exactly this surface is read as given
    kLatin,   // a whole run of Latin letters with exactly this spelling
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
// Every digit on its own ("09" -> "ゼロキュウ"); hexadecimal letters are spelt.
std::string DigitByDigit(std::string_view digits);
// The parts of the text MeCab has no say in: error codes, decimal numbers, signs and symbols.
std::string RewriteSymbols(std::string_view text);
// The last step before the voice: Latin letters never touch kana (eSpeak would spell the whole
// word), and リャ, リュ, リョ go as phonemes (the voice's own rule adds a vowel to them).
std::string FinishForVoice(std::string_view reading);

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
  // The user's readings, applied before every built-in rule.
  void SetUserReadings(CReadingDictionary readings) { user_ = std::move(readings); }
  // The text exactly as it is handed to the voice. Not thread-safe: one converter per thread.
  std::string ToReading(std::string_view utf8);

  // The first folder of the usual ones that holds an ipadic-utf8 dictionary, or empty.
  static std::string FindDictionary();

 private:
  std::string Tag(const std::string& text);
  struct Deleter {
    void operator()(mecab_t* m) const;
  };
  std::string dicDir_;
  CReadingDictionary user_;
  std::unique_ptr<mecab_t, Deleter> tagger_;
};

// What `zentory --reading TEXT` prints: TEXT as the embedded voice is given it, with the user's
// readings of READINGSFOLDER/readings.txt. NOTICE gets what went wrong on the way (no MeCab
// dictionary, malformed lines of readings.txt), one sentence a line.
std::string ReadingForVoice(std::string_view text, const std::string& readingsFolder,
                            std::string& notice);

}  // namespace zentory
