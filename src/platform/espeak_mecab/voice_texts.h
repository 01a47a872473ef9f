// Every text the embedded voice shows, in one place (UTF-8). They reach the user in the start-up
// box, which the voice also reads when it runs.
#pragma once

namespace zentory::voice_texts {

inline constexpr const char* kVoiceRows[] = {"eSpeak NG 日本語 (男声)", "eSpeak NG 日本語 (女声)"};

// In kana: without the dictionary the voice cannot read kanji, and this sentence says so.
inline constexpr const char* kNoDictionary =
    "かんじを よむ ための じしょ (mecab-ipadic-utf8) が みつかりません。かんじは ただしく "
    "よみあげられません。";
// The voice could not start; %s is eSpeak NG's own reason.
inline constexpr const char* kNoVoiceData =
    "eSpeak NG の日本語音声を使えません (%s)。espeak-ng-data パッケージを入れてください。";
// readings.txt: %s is the list of line numbers, joined by kLineJoin.
inline constexpr const char* kBadReadingLines =
    "読み方の辞書 readings.txt の %s行目は「文字、タブ、読み」の形になっていないので使いません。";
inline constexpr const char* kLineJoin = "、";
inline constexpr const char* kUnreadableReadings = "読み方の辞書 readings.txt を読めませんでした。";

}  // namespace zentory::voice_texts
