#include "platform/espeak_mecab/speech_text.h"

#include <mecab.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <array>
#include <cstring>
#include <filesystem>

namespace zentory {

namespace {

using Kind = SpeechTextRule::Kind;

// Everything the voice is told to read differently, in one place. Symbols first (they change the
// text MeCab sees), then words (by MeCab surface), then letters.
constexpr SpeechTextRule kRules[] = {
    // Numbers are written "小節[1]"; the brackets are for the eye only.
    {Kind::kSymbol, "[", " "},
    {Kind::kSymbol, "]", " "},
    // Values: key names ("F#m") and signed numbers ("-8192", a lone "-" while typing).
    {Kind::kSymbol, "#", "シャープ"},
    {Kind::kSymbol, "-", "マイナス"},
    {Kind::kSymbol, "+", "プラス"},
    {Kind::kSymbol, "%", "パーセント"},
    // Readings MeCab gets wrong in the program's own sentences.
    {Kind::kSymbol, "分音符", "ブオンプ"},
    {Kind::kSymbol, "1つ", "ヒトツ"},
    {Kind::kSymbol, "後に戻す", "アトニモドス"},
    {Kind::kSymbol, "MIDI", "ミディ"},
    // The sixteenth of the position wording; MeCab would say ブシ.
    {Kind::kWord, "節", "セツ"},
    {Kind::kWord, "値", "アタイ", "名詞,一般"},  // "値が低すぎます"; 設定値 stays セッテイチ
    // Note and key names; lower-case b and m are the flat and the minor of key names.
    {Kind::kLetter, "A", "エー"},
    {Kind::kLetter, "B", "ビー"},
    {Kind::kLetter, "C", "シー"},
    {Kind::kLetter, "D", "ディー"},
    {Kind::kLetter, "E", "イー"},
    {Kind::kLetter, "F", "エフ"},
    {Kind::kLetter, "G", "ジー"},
    {Kind::kLetter, "H", "エイチ"},
    {Kind::kLetter, "I", "アイ"},
    {Kind::kLetter, "J", "ジェー"},
    {Kind::kLetter, "K", "ケー"},
    {Kind::kLetter, "L", "エル"},
    {Kind::kLetter, "M", "エム"},
    {Kind::kLetter, "N", "エヌ"},
    {Kind::kLetter, "O", "オー"},
    {Kind::kLetter, "P", "ピー"},
    {Kind::kLetter, "Q", "キュー"},
    {Kind::kLetter, "R", "アール"},
    {Kind::kLetter, "S", "エス"},
    {Kind::kLetter, "T", "ティー"},
    {Kind::kLetter, "U", "ユー"},
    {Kind::kLetter, "V", "ブイ"},
    {Kind::kLetter, "W", "ダブリュー"},
    {Kind::kLetter, "X", "エックス"},
    {Kind::kLetter, "Y", "ワイ"},
    {Kind::kLetter, "Z", "ゼット"},
    {Kind::kLetter, "b", "フラット"},
    {Kind::kLetter, "m", "マイナー"},
};

// Runs of letters up to this length are spelt (note and key names); longer ones are words.
constexpr std::size_t kSpeltLetters = 3;

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

const char* LetterReading(char c) {
  for (const auto& rule : kRules) {
    if (rule.kind == Kind::kLetter && rule.text[0] == c) return rule.reading;
  }
  // Other lower-case letters are read as their capitals.
  if (c >= 'a' && c <= 'z') return LetterReading(static_cast<char>(c - 'a' + 'A'));
  return nullptr;
}

std::string SpellLetters(std::string_view run) {
  std::string s;
  for (char c : run) {
    if (const char* r = LetterReading(c)) s += r;
  }
  return s;
}

std::string ReplaceSymbols(std::string text) {
  for (const auto& rule : kRules) {
    if (rule.kind != Kind::kSymbol) continue;
    const std::size_t len = std::strlen(rule.text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
      if (text.compare(i, len, rule.text) == 0) {
        out += rule.reading;
        i += len;
      } else {
        out += text[i++];
      }
    }
    text.swap(out);
  }
  return text;
}

const char* WordReading(std::string_view surface, const char* feature) {
  for (const auto& rule : kRules) {
    if (rule.kind != Kind::kWord || surface != rule.text) continue;
    if (rule.feature == nullptr ||
        (feature != nullptr && std::string_view(feature).starts_with(rule.feature))) {
      return rule.reading;
    }
  }
  return nullptr;
}

// The 8th feature field of an ipadic entry is the reading; unknown words have none.
std::string_view ReadingField(const char* feature) {
  std::string_view f(feature ? feature : "");
  for (int field = 0; field < 7; ++field) {
    auto comma = f.find(',');
    if (comma == std::string_view::npos) return {};
    f.remove_prefix(comma + 1);
  }
  auto comma = f.find(',');
  std::string_view reading = f.substr(0, comma);
  return reading == "*" ? std::string_view{} : reading;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Reads the pieces MeCab does not: digit runs and short letter runs, in text without MeCab.
std::string ReadPlain(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t j = i;
    if (text[i] >= '0' && text[i] <= '9') {
      while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
      out += NumberReading(text.substr(i, j - i));
    } else if (IsAsciiLetter(text[i])) {
      while (j < text.size() && IsAsciiLetter(text[j])) ++j;
      std::string_view run = text.substr(i, j - i);
      out += run.size() <= kSpeltLetters ? SpellLetters(run) : std::string(run);
    } else {
      out += text[i];
      j = i + 1;
    }
    i = j;
  }
  return out;
}

}  // namespace

std::span<const SpeechTextRule> SpeechTextRules() { return kRules; }

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
  if (digits.size() > 16) {  // beyond チョウ: read it as a string of digits
    std::string s;
    for (char c : digits) s += kDigits[static_cast<std::size_t>(c - '0')];
    return s;
  }
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

std::string CReadingConverter::ToReading(std::string_view utf8) {
  std::string text = ReplaceSymbols(NormalizeNfkc(utf8));
  if (!tagger_) return ReadPlain(text);
  const mecab_node_t* node = mecab_sparse_tonode2(tagger_.get(), text.data(), text.size());
  if (node == nullptr) return ReadPlain(text);
  std::string out;
  for (; node != nullptr; node = node->next) {
    if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE) continue;
    if (node->rlength > node->length && !out.empty()) out += ' ';
    std::string_view surface(node->surface, node->length);
    if (const char* word = WordReading(surface, node->feature)) {
      out += word;
    } else if (AllDigits(surface) || IsAsciiLetter(surface.front())) {
      out += ReadPlain(surface);
    } else if (std::string_view reading = ReadingField(node->feature); !reading.empty()) {
      out += reading;
    } else {
      out += ReadPlain(surface);
    }
  }
  return out;
}

}  // namespace zentory
