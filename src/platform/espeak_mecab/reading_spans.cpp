#include "platform/espeak_mecab/reading_spans.h"

#include <array>
#include <cstring>

namespace zentory {

namespace {

constexpr std::size_t kCodeLength = 12;  // four characters of module, eight hexadecimal digits
constexpr const char* kCodeWord = " コード ";
constexpr const char* kKeyPause = "、";
constexpr std::size_t kMinEnglishWord = 4;
constexpr std::array<std::string_view, 3> kModifiers = {"シフト", "コントロール", "アルト"};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }
bool IsUpperOrDigit(char c) { return (c >= 'A' && c <= 'Z') || IsDigit(c); }

bool StartsWithCode(std::string_view line) {
  if (line.size() <= kCodeLength || line[kCodeLength] != ' ' || line[0] < 'A' || line[0] > 'Z') {
    return false;
  }
  for (std::size_t i = 0; i < 4; ++i) {
    if (!IsUpperOrDigit(line[i])) return false;
  }
  for (std::size_t i = 4; i < kCodeLength; ++i) {
    if (!IsHex(line[i])) return false;
  }
  return true;
}

bool IsModifier(std::string_view word) {
  for (std::string_view m : kModifiers) {
    if (word == m) return true;
  }
  return false;
}

// Letters joined into one phrase of English: blanks and the punctuation of sentences and names.
bool JoinsPhrase(char c) {
  return c == ' ' || c == '!' || c == '?' || c == ',' || c == '.' || c == '\'' || c == '-' ||
         c == ':' || c == '_';
}

bool IsEnglishWord(std::string_view word, bool (*knownWord)(std::string_view)) {
  if (word.size() < kMinEnglishWord) return false;
  bool lower = false;
  for (char c : word) lower = lower || (c >= 'a' && c <= 'z');
  return lower && !(knownWord && knownWord(word));
}

// The vowel of a katakana syllable (its last letter), or 0 when it has none (ン, ッ, ー).
char VowelOf(std::string_view kana) {
  static constexpr std::array<std::pair<const char*, char>, 5> kRows = {{
      {"アカサタナハマヤラワガザダバパァャヮ", 'a'},
      {"イキシチニヒミリギジヂビピィ", 'i'},
      {"ウクスツヌフムユルグズヅブプゥュヴ", 'u'},
      {"エケセテネヘメレゲゼデベペェ", 'e'},
      {"オコソトノホモヨロヲゴゾドボポォョ", 'o'},
  }};
  for (const auto& [letters, vowel] : kRows) {
    if (std::string_view(letters).find(kana) != std::string_view::npos) return vowel;
  }
  return 0;
}

constexpr std::array<std::pair<const char*, char>, 5> kVowelKana = {
    {{"ア", 'a'}, {"イ", 'i'}, {"ウ", 'u'}, {"エ", 'e'}, {"オ", 'o'}}};
constexpr const char* kLong = "ー";
constexpr std::size_t kKanaBytes = 3;  // every katakana is three bytes of UTF-8

}  // namespace

std::string CodeAfterMessage(std::string_view text) {
  std::string out;
  std::string_view code;  // the code of the message being copied
  auto endMessage = [&] {
    if (code.empty()) return;
    out += kCodeWord;
    out.append(code);
    code = {};
  };
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (StartsWithCode(line)) {
      endMessage();
      code = line.substr(0, kCodeLength);
      line.remove_prefix(kCodeLength + 1);
    }
    out.append(line);
    if (end == std::string_view::npos) break;
    // The break goes after the code when the next line starts another message.
    const std::string_view next = text.substr(end + 1);
    if (StartsWithCode(next.substr(0, next.find('\n')))) endMessage();
    out += '\n';
    text.remove_prefix(end + 1);
  }
  endMessage();
  return out;
}

std::string PauseBetweenKeys(std::string_view text) {
  std::string out;
  std::string_view twoBack, oneBack;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t space = text.find(' ', start);
    if (space == std::string_view::npos) space = text.size();
    const std::string_view word = text.substr(start, space - start);
    // A modifier after a key that itself followed a modifier starts the second key.
    if (IsModifier(word) && !oneBack.empty() && !IsModifier(oneBack) && IsModifier(twoBack)) {
      out.pop_back();  // the blank
      out += kKeyPause;
    }
    out.append(word);
    if (space < text.size()) out += ' ';
    twoBack = oneBack;
    oneBack = word;
    start = space + 1;
  }
  return out;
}

std::string ReadingRulesForAnyVoice(std::string_view text) {
  std::string out = PauseBetweenKeys(CodeAfterMessage(text));
  for (char& c : out) {
    if (c == '[' || c == ']') c = ' ';
  }
  return out;
}

std::vector<ReadingSegment> SplitEnglish(std::string_view text,
                                         bool (*knownWord)(std::string_view word)) {
  std::vector<ReadingSegment> out;
  auto add = [&out](std::string_view part, bool english) {
    if (part.empty()) return;
    if (!out.empty() && out.back().english == english) {
      out.back().text.append(part);
    } else {
      out.push_back({std::string(part), english});
    }
  };
  std::size_t done = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsLetter(text[i]) || (i > 0 && (IsLetter(text[i - 1]) || IsDigit(text[i - 1])))) {
      ++i;
      continue;
    }
    // A phrase: words of letters joined by blanks and punctuation.
    std::size_t end = i;
    std::size_t phraseEnd = i;
    bool english = false;
    while (end < text.size() && IsLetter(text[end])) {
      std::size_t wordEnd = end;
      while (wordEnd < text.size() && IsLetter(text[wordEnd])) ++wordEnd;
      // A word glued to digits or other letters ("test_02", "x86") is read as it stands.
      english = english || IsEnglishWord(text.substr(end, wordEnd - end), knownWord);
      phraseEnd = wordEnd;
      std::size_t next = wordEnd;
      while (next < text.size() && JoinsPhrase(text[next])) ++next;
      if (next == wordEnd || next >= text.size() || !IsLetter(text[next])) break;
      end = next;
    }
    // Sentence punctuation right after the phrase belongs to it ("Error!").
    while (english && phraseEnd < text.size() &&
           (text[phraseEnd] == '!' || text[phraseEnd] == '?' || text[phraseEnd] == '.')) {
      ++phraseEnd;
    }
    if (english) {
      // An option's dashes ("--midi-log") go with it.
      while (i > done && text[i - 1] == '-') --i;
      add(text.substr(done, i - done), false);
      add(text.substr(i, phraseEnd - i), true);
      done = phraseEnd;
    }
    i = phraseEnd;
  }
  add(text.substr(done), false);
  return out;
}

std::string SeparateRepeatedVowels(std::string_view reading) {
  std::string out;
  out.reserve(reading.size() + 8);
  for (std::size_t i = 0; i < reading.size();) {
    if (i >= kKanaBytes && i + 2 * kKanaBytes <= reading.size() &&
        reading.compare(i + kKanaBytes, kKanaBytes, kLong) == 0) {
      const std::string_view here = reading.substr(i, kKanaBytes);
      const std::string_view before = reading.substr(i - kKanaBytes, kKanaBytes);
      for (const auto& [kana, vowel] : kVowelKana) {
        if (here == kana && (static_cast<unsigned char>(before[0]) & 0xE0) == 0xE0 &&
            VowelOf(before) == vowel && !out.empty() && out.back() != ' ') {
          out += ' ';
        }
      }
    }
    out += reading[i++];
  }
  return out;
}

}  // namespace zentory
