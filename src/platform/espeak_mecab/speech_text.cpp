#include "platform/espeak_mecab/speech_text.h"

#include <mecab.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>

#include "platform/espeak_mecab/reading_spans.h"
#include "platform/espeak_mecab/voice_texts.h"

namespace zentory {

namespace {

using Kind = SpeechTextRule::Kind;

// Runs of letters up to this length are spelt (note and key names); longer ones are words.
constexpr std::size_t kSpeltLetters = 3;
// An error code: a four-character module prefix and eight hexadecimal digits ("GENE01000002").
constexpr std::size_t kCodePrefix = 4;
constexpr std::size_t kCodeDigits = 8;

constexpr const char* kMinus = "マイナス";
// Key names ("F#m", "Bb"): the sharp, the flat and the minor after a note letter.
constexpr const char* kSharp = "シャープ";
constexpr const char* kFlat = "フラット";
constexpr const char* kMinor = "マイナー";
constexpr const char* kPoint = "テン";
constexpr const char* kLongVowel = "ー";

constexpr std::array<const char*, 10> kDigits = {"ゼロ", "イチ", "ニ",   "サン", "ヨン",
                                                 "ゴ",   "ロク", "ナナ", "ハチ", "キュウ"};

// Hundreds and thousands with their sound changes (300 サンビャク, 8000 ハッセン).
constexpr std::array<const char*, 10> kHundreds = {
    "",         "ヒャク",     "ニヒャク",   "サンビャク", "ヨンヒャク",
    "ゴヒャク", "ロッピャク", "ナナヒャク", "ハッピャク", "キュウヒャク"};
constexpr std::array<const char*, 10> kThousands = {"",         "セン",      "ニセン",   "サンゼン",
                                                    "ヨンセン", "ゴセン",    "ロクセン", "ナナセン",
                                                    "ハッセン", "キュウセン"};
constexpr std::array<const char*, 4> kMyriads = {"", "マン", "オク", "チョウ"};

// The voice's own rule gives リャ, リュ, リョ an extra vowel; these phonemes say them right.
struct PalatalR {
  const char* kana;
  const char* phonemes;      // alone
  const char* longPhonemes;  // before ー
};
constexpr PalatalR kPalatalR[] = {
    {"リャ", "[[r`_ja]]", "[[r`_ja:]]"},
    {"リュ", "[[r`_ju]]", "[[r`_ju:]]"},
    {"リョ", "[[r`_jo]]", "[[r`_jo:]]"},
};

std::string GroupReading(int n) {  // 1..9999
  std::string s = kThousands[static_cast<std::size_t>(n / 1000)];
  s += kHundreds[static_cast<std::size_t>(n / 100 % 10)];
  int tens = n / 10 % 10;
  if (tens > 1) s += kDigits[static_cast<std::size_t>(tens)];
  if (tens > 0) s += "ジュウ";
  if (n % 10) s += kDigits[static_cast<std::size_t>(n % 10)];
  return s;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpperOrDigit(char c) { return (c >= 'A' && c <= 'Z') || IsDigit(c); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }
bool IsWordByte(char c) { return IsAsciiLetter(c) || IsDigit(c); }

const char* LetterReading(char c) {
  for (const auto& rule : SpeechTextRules()) {
    if (rule.kind == Kind::kLetter && rule.text[0] == c) return rule.reading;
  }
  // Other lower-case letters are read as their capitals.
  if (c >= 'a' && c <= 'z') return LetterReading(static_cast<char>(c - 'a' + 'A'));
  return nullptr;
}

std::string SpellLetters(std::string_view run) {
  std::string s;
  for (char c : run) {
    if (IsDigit(c)) {
      s += kDigits[static_cast<std::size_t>(c - '0')];
    } else if (const char* r = LetterReading(c)) {
      s += r;
    }
  }
  return s;
}

const char* KnownLatin(std::string_view run) {
  for (const auto& rule : SpeechTextRules()) {
    if (rule.kind == Kind::kLatin && run == rule.text) return rule.reading;
  }
  return nullptr;
}

bool IsKnownLatin(std::string_view run) { return KnownLatin(run) != nullptr; }

bool AllCapitals(std::string_view run) {
  for (char c : run) {
    if (c < 'A' || c > 'Z') return false;
  }
  return true;
}

// A whole run of Latin letters: a known word; spelt when short or in capitals (an
// abbreviation); else left to the voice (English phrases never get here).
std::string LatinReading(std::string_view run) {
  if (const char* known = KnownLatin(run)) return known;
  return run.size() <= kSpeltLetters || AllCapitals(run) ? SpellLetters(run) : std::string(run);
}

// The length of a key name at POS ("C", "F#", "Bb", "Ebm"), or 0. It stands alone: no letter or
// digit touches it.
std::size_t KeyNameAt(std::string_view text, std::size_t pos) {
  if (pos > 0 && IsWordByte(text[pos - 1])) return 0;
  if (text[pos] < 'A' || text[pos] > 'G') return 0;
  std::size_t end = pos + 1;
  if (end < text.size() && (text[end] == '#' || text[end] == 'b')) ++end;
  if (end < text.size() && text[end] == 'm') ++end;
  if (end < text.size() && IsWordByte(text[end])) return 0;
  return end - pos;
}

// True when the digits at POS..POS+LENGTH belong to a name: after an underscore or a hyphen, or
// before a file's extension.
bool InName(std::string_view text, std::size_t pos, std::size_t length) {
  if (pos > 0 && (text[pos - 1] == '_' || text[pos - 1] == '-')) return true;
  const std::size_t end = pos + length;
  return end + 1 < text.size() && text[end] == '.' && IsAsciiLetter(text[end + 1]);
}

std::string KeyNameReading(std::string_view name) {
  std::string s = LetterReading(name[0]);
  for (char c : name.substr(1)) s += c == '#' ? kSharp : c == 'b' ? kFlat : kMinor;
  return s;
}

// The length of an error code at POS of TEXT, or 0.
std::size_t ErrorCodeAt(std::string_view text, std::size_t pos) {
  if (pos > 0 && IsWordByte(text[pos - 1])) return 0;
  const std::size_t end = pos + kCodePrefix + kCodeDigits;
  if (end > text.size() || text[pos] < 'A' || text[pos] > 'Z') return 0;
  for (std::size_t i = pos; i < pos + kCodePrefix; ++i) {
    if (!IsUpperOrDigit(text[i])) return 0;
  }
  for (std::size_t i = pos + kCodePrefix; i < end; ++i) {
    if (!IsHexDigit(text[i])) return 0;
  }
  if (end < text.size() && IsWordByte(text[end])) return 0;
  return end - pos;
}

std::size_t DigitRun(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - pos;
}

const SpeechTextRule* SymbolAt(std::string_view text, std::size_t pos) {
  for (const auto& rule : SpeechTextRules()) {
    if (rule.kind == Kind::kSymbol && rule.text[0] == text[pos] &&
        text.compare(pos, std::strlen(rule.text), rule.text) == 0) {
      return &rule;
    }
  }
  return nullptr;
}

// A hyphen is a minus before a number or standing alone; inside a word it only separates.
bool IsMinusAt(std::string_view text, std::size_t pos) {
  if (pos + 1 < text.size() && IsDigit(text[pos + 1])) return true;
  const bool openBefore = pos == 0 || text[pos - 1] == ' ';
  const bool openAfter = pos + 1 == text.size() || text[pos + 1] == ' ';
  return openBefore && openAfter;
}

const char* WordReading(std::string_view surface, const char* feature) {
  for (const auto& rule : SpeechTextRules()) {
    if (rule.kind != Kind::kWord || surface != rule.text) continue;
    if (rule.feature == nullptr ||
        (feature != nullptr && std::string_view(feature).starts_with(rule.feature))) {
      return rule.reading;
    }
  }
  return nullptr;
}

// Field INDEX (0-based) of an ipadic feature string, or empty when it is missing or "*".
std::string_view FeatureField(const char* feature, int index) {
  std::string_view f(feature ? feature : "");
  for (int field = 0; field < index; ++field) {
    auto comma = f.find(',');
    if (comma == std::string_view::npos) return {};
    f.remove_prefix(comma + 1);
  }
  std::string_view value = f.substr(0, f.find(','));
  return value == "*" ? std::string_view{} : value;
}

// ipadic's 9th field is the pronunciation (は as ワ, long vowels as ー); the 8th the reading.
constexpr int kPronunciationField = 8;
constexpr int kReadingField = 7;

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// Reads the pieces MeCab does not: digit runs and letter runs, in text without MeCab.
std::string ReadPlain(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t j = i;
    if (IsDigit(text[i])) {
      j += DigitRun(text, i);
      out += NumberReading(text.substr(i, j - i));
    } else if (IsAsciiLetter(text[i])) {
      while (j < text.size() && IsAsciiLetter(text[j])) ++j;
      out += LatinReading(text.substr(i, j - i));
    } else {
      out += text[i];
      j = i + 1;
    }
    i = j;
  }
  return out;
}

// The symbol rules whose text holds Latin letters ("readings.txt", "O値") apply before English
// phrases are looked for, so that such a text is never taken for English.
std::string ReplaceLatinSymbols(std::string_view text) {
  std::string out(text);
  for (const auto& rule : SpeechTextRules()) {
    if (rule.kind != Kind::kSymbol) continue;
    const std::string_view from = rule.text;
    if (std::none_of(from.begin(), from.end(), IsAsciiLetter)) continue;
    for (auto at = out.find(from); at != std::string::npos; at = out.find(from, at)) {
      out.replace(at, from.size(), rule.reading);
      at += std::strlen(rule.reading);
    }
  }
  return out;
}

// The English span's own characters that SSML gives a meaning to.
std::string EscapeMarkup(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string NormalizeNfkc(std::string_view utf8) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
  if (U_FAILURE(status) || nfkc == nullptr) return std::string(utf8);
  icu::UnicodeString in = icu::UnicodeString::fromUTF8(
      icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  icu::UnicodeString out = nfkc->normalize(in, status);
  if (U_FAILURE(status)) return std::string(utf8);
  std::string result;
  out.toUTF8String(result);
  return result;
}

std::string NumberReading(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  if (digits.empty()) return {};
  if (digits.size() > 16) return DigitByDigit(digits);  // beyond チョウ
  if (digits == "0") return kDigits[0];
  std::string s;
  const std::size_t groups = (digits.size() + 3) / 4;
  std::size_t first = digits.size() - (groups - 1) * 4;
  std::size_t pos = 0;
  for (std::size_t g = groups; g-- > 0;) {
    std::size_t len = pos == 0 ? first : 4;
    int value = 0;
    for (char c : digits.substr(pos, len)) value = value * 10 + (c - '0');
    pos += len;
    if (value == 0) continue;
    // 1000 within a higher myriad is イッセン (イッセンマン); alone it stays セン.
    if (value / 1000 == 1 && g > 0) s += "イッ";
    s += GroupReading(value);
    s += kMyriads[g];
  }
  return s;
}

std::string DigitByDigit(std::string_view digits) { return SpellLetters(digits); }

std::string RewriteSymbols(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (std::size_t i = 0; i < text.size();) {
    if (std::size_t code = ErrorCodeAt(text, i)) {
      // Read as it is written: the module's letters, then the digits one by one in two fours.
      out += SpellLetters(text.substr(i, kCodePrefix)) + ' ';
      out += DigitByDigit(text.substr(i + kCodePrefix, kCodeDigits / 2)) + ' ';
      out += DigitByDigit(text.substr(i + kCodePrefix + kCodeDigits / 2, kCodeDigits / 2));
      i += code;
      continue;
    }
    if (std::size_t key = KeyNameAt(text, i); key > 1) {
      out += KeyNameReading(text.substr(i, key));
      i += key;
      continue;
    }
    if (IsDigit(text[i]) && (i == 0 || !IsDigit(text[i - 1]))) {
      const std::size_t whole = DigitRun(text, i);
      if (text[i] == '0' && whole > 1 && InName(text, i, whole)) {
        // A number of a name written with its zeros ("test_02.mid") keeps them; a number of
        // the program's own ("チック[010]") is read as a number.
        out += DigitByDigit(text.substr(i, whole));
        i += whole;
        continue;
      }
      const std::size_t point = i + whole;
      const std::size_t fraction =
          point + 1 < text.size() && text[point] == '.' ? DigitRun(text, point + 1) : 0;
      if (fraction > 0) {
        // A decimal point is テン, and every digit after it is read on its own (1.09).
        out += NumberReading(text.substr(i, whole)) + kPoint;
        out += DigitByDigit(text.substr(point + 1, fraction));
        i = point + 1 + fraction;
        continue;
      }
    }
    if (text[i] == '-') {
      out += IsMinusAt(text, i) ? kMinus : " ";
      ++i;
      continue;
    }
    if (const SpeechTextRule* rule = SymbolAt(text, i)) {
      out += rule->reading;
      i += std::strlen(rule->text);
      continue;
    }
    out += text[i++];
  }
  return out;
}

std::string FinishForVoice(std::string_view spoken) {
  const std::string separated = SeparateRepeatedVowels(spoken);
  const std::string_view reading = separated;
  std::string out;
  out.reserve(reading.size() + 16);
  for (std::size_t i = 0; i < reading.size();) {
    const PalatalR* palatal = nullptr;
    for (const PalatalR& p : kPalatalR) {
      if (p.kana[0] == reading[i] && reading.compare(i, std::strlen(p.kana), p.kana) == 0) {
        palatal = &p;
      }
    }
    if (palatal) {
      i += std::strlen(palatal->kana);
      const bool isLong = reading.compare(i, std::strlen(kLongVowel), kLongVowel) == 0;
      if (isLong) i += std::strlen(kLongVowel);
      out += isLong ? palatal->longPhonemes : palatal->phonemes;
      continue;
    }
    const char c = reading[i];
    if (!out.empty()) {
      // A Latin letter touching kana makes eSpeak spell the word; a blank keeps them apart.
      const char previous = out.back();
      const bool previousLatin = IsAsciiLetter(previous);
      const bool previousWide = static_cast<unsigned char>(previous) >= 0x80;
      const bool startsWide = (static_cast<unsigned char>(c) & 0xC0) == 0xC0;
      if ((previousLatin && startsWide) || (previousWide && IsAsciiLetter(c))) out += ' ';
    }
    out += c;
    ++i;
  }
  return out;
}

void CReadingConverter::Deleter::operator()(mecab_t* m) const { mecab_destroy(m); }

std::string CReadingConverter::FindDictionary() {
  static constexpr const char* kPlaces[] = {
      "/var/lib/mecab/dic/ipadic-utf8",
      "/usr/lib/x86_64-linux-gnu/mecab/dic/ipadic-utf8",
      "/usr/lib/aarch64-linux-gnu/mecab/dic/ipadic-utf8",
      "/usr/lib/mecab/dic/ipadic-utf8",
      "/usr/share/mecab/dic/ipadic-utf8",
      "/usr/local/lib/mecab/dic/ipadic-utf8",
#ifdef ZENTORY_MECAB_DICDIR
      ZENTORY_MECAB_DICDIR "/ipadic-utf8",
#endif
  };
  std::error_code ec;
  for (const char* place : kPlaces) {
    if (std::filesystem::exists(std::filesystem::path(place) / "sys.dic", ec)) return place;
  }
  return {};
}

CReadingConverter::CReadingConverter(std::string dicDir) : dicDir_(std::move(dicDir)) {
  if (dicDir_.empty()) dicDir_ = FindDictionary();
  if (dicDir_.empty()) return;
  // The dictionary is always named: the system's mecabrc may point at an EUC-JP one.
  std::string arg = "-d " + dicDir_;
  tagger_.reset(mecab_new2(arg.c_str()));
}

CReadingConverter::~CReadingConverter() = default;

std::string CReadingConverter::Tag(const std::string& text) {
  const mecab_node_t* node = mecab_sparse_tonode2(tagger_.get(), text.data(), text.size());
  if (node == nullptr) return ReadPlain(text);
  std::string out;
  for (; node != nullptr; node = node->next) {
    if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE) continue;
    if (node->rlength > node->length && !out.empty()) out += ' ';
    std::string_view surface(node->surface, node->length);
    if (surface.empty()) continue;
    if (const char* word = WordReading(surface, node->feature)) {
      out += word;
    } else if (AllDigits(surface) || IsAsciiLetter(surface.front())) {
      out += ReadPlain(surface);
    } else if (auto said = FeatureField(node->feature, kPronunciationField); !said.empty()) {
      out += said;
    } else if (auto read = FeatureField(node->feature, kReadingField); !read.empty()) {
      out += read;
    } else {
      out += ReadPlain(surface);
    }
  }
  return out;
}

std::string CReadingConverter::ToReading(std::string_view utf8) {
  const std::string text =
      ReplaceLatinSymbols(PauseBetweenKeys(CodeAfterMessage(user_.Apply(NormalizeNfkc(utf8)))));
  std::string out;
  for (const ReadingSegment& segment : SplitEnglish(text, &IsKnownLatin)) {
    if (segment.english) {
      // A blank on either side keeps the voices' words apart.
      if (!out.empty() && out.back() != ' ') out += ' ';
      out.append(kEnglishOpen);
      out += EscapeMarkup(segment.text);
      out.append(kEnglishClose);
      continue;
    }
    const std::string japanese = RewriteSymbols(segment.text);
    const std::string reading = FinishForVoice(tagger_ ? Tag(japanese) : ReadPlain(japanese));
    if (!out.empty() && !reading.empty() && reading.front() != ' ') out += ' ';
    out += reading;
  }
  return out;
}

std::string ReadingForVoice(std::string_view text, const std::string& readingsFolder,
                            std::string& notice) {
  CReadingConverter converter;
  notice.clear();
  if (!converter.HasDictionary()) notice = voice_texts::kNoDictionary;
  std::string readingsNotice;
  converter.SetUserReadings(CReadingDictionary::Load(readingsFolder, readingsNotice));
  if (!readingsNotice.empty()) notice += (notice.empty() ? "" : "\n") + readingsNotice;
  return converter.ToReading(text);
}

}  // namespace zentory
