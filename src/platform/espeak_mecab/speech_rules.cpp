// Everything the voice is told to read differently, in one place. Symbols first (they change the
// text MeCab sees), then words (by MeCab surface), then Latin words, then single letters.
#include "platform/espeak_mecab/speech_text.h"

namespace zentory {

namespace {

using Kind = SpeechTextRule::Kind;

constexpr SpeechTextRule kRules[] = {
    // Numbers are written "小節[1]"; the brackets are for the eye only.
    {Kind::kSymbol, "[", " "},
    {Kind::kSymbol, "]", " "},
    // Values: key names ("F#m").
    {Kind::kSymbol, "#", "シャープ"},
    {Kind::kSymbol, "+", "プラス"},
    {Kind::kSymbol, "%", "パーセント"},
    // eSpeak spells the whole word around a middle dot.
    {Kind::kSymbol, "・", " "},
    // The Japanese voice would switch to English for these; the last three are the reading's
    // own markup.
    {Kind::kSymbol, "_", " "},
    {Kind::kSymbol, "&", "アンド"},
    {Kind::kSymbol, "<", " "},
    {Kind::kSymbol, ">", " "},
    // A path is read folder by folder, its separators as pauses.
    {Kind::kSymbol, "/", "、"},
    {Kind::kSymbol, "\\", "、"},
    {Kind::kSymbol, "角かっこ", "カクカッコ"},
    // The number after it is the controller's, not part of the name.
    {Kind::kSymbol, "未定義のコントロールチェンジ", "ミテイギノコントロールチェンジ、"},
    // The voice has no スィ (スィープ パッド).
    {Kind::kSymbol, "スィ", "スイ"},
    // Readings MeCab gets wrong in the program's own sentences.
    {Kind::kSymbol, "分音符", "ブオンプ"},
    {Kind::kSymbol, "1つ", "ヒトツ"},
    {Kind::kSymbol, "後に戻す", "アトニモドス"},
    {Kind::kSymbol, "上下カーソル", "ジョーゲカーソル"},
    {Kind::kSymbol, "左右カーソル", "サユーカーソル"},
    {Kind::kSymbol, "上カーソル", "ウエカーソル"},
    {Kind::kSymbol, "下カーソル", "シタカーソル"},
    {Kind::kSymbol, "左カーソル", "ヒダリカーソル"},
    {Kind::kSymbol, "右カーソル", "ミギカーソル"},
    {Kind::kSymbol, "音価", "オンカ"},
    {Kind::kSymbol, "付点", "フテン"},
    {Kind::kSymbol, "貼り付け", "ハリツケ"},
    {Kind::kSymbol, "鋸波", "ノコギリハ"},
    {Kind::kSymbol, "オクターブ上", "オクターブウエ"},
    {Kind::kSymbol, "曲頭", "キョクトー"},
    {Kind::kSymbol, "開けません", "ヒラケマセン"},  // a file is ひらく, not あける
    {Kind::kSymbol, "行目", "ギョーメ"},
    // The MML values after their letters; 値 alone would be チ here, heard as the digit イチ.
    {Kind::kSymbol, "O値", "オー アタイ"},
    {Kind::kSymbol, "V値", "ブイ アタイ"},
    {Kind::kSymbol, "L値", "エル アタイ"},
    {Kind::kSymbol, "Q値", "キュー アタイ"},
    {Kind::kSymbol, "T値", "ティー アタイ"},
    {Kind::kSymbol, "readings.txt", "リーディングズ テキスト"},
    // The sixteenth of the position wording; MeCab would say ブシ.
    {Kind::kWord, "節", "セツ"},
    {Kind::kWord, "値", "アタイ", "名詞,一般"},  // "値が低すぎます"; 設定値 stays セッテイチ
    // Note values: in a song editor "4分" is a quarter note, not four minutes.
    {Kind::kWord, "分", "ブン", "名詞,接尾,助数詞"},
    {Kind::kWord, "全", "ゼン", "名詞,固有名詞,人名"},  // a whole note, alone; MeCab takes a name
    {Kind::kWord, "琴", "コト"},
    {Kind::kWord, "他", "ホカ"},  // " 他 3 件" of a batched box                 // a word of its
                                  // own; 木琴 stays モッキン
    {Kind::kWord, "後", "アト", "名詞,非自立"},  // "メタイベントの後の"; 最後 stays サイゴ
    // Latin words of the program's texts; other long runs of letters are left to the voice.
    {Kind::kLatin, "MIDI", "ミディ"},
    {Kind::kLatin, "WAVE", "ウェーブ"},
    {Kind::kLatin, "Midi", "ミディ"},
    {Kind::kLatin, "ON", "オン"},
    {Kind::kLatin, "OFF", "オフ"},
    {Kind::kLatin, "NRPN", "エヌアールピーエヌ"},
    {Kind::kLatin, "SMPTE", "エスエムピーティーイー"},
    {Kind::kLatin, "eSpeak", "イースピーク"},
    {Kind::kLatin, "espeak", "イースピーク"},
    {Kind::kLatin, "MeCab", "メカブ"},
    {Kind::kLatin, "mecab", "メカブ"},
    {Kind::kLatin, "ipadic", "アイピーエーディック"},
    {Kind::kLatin, "utf", "ユーティーエフ"},
    {Kind::kLatin, "data", "データ"},
    {Kind::kLatin, "speech", "スピーチ"},
    {Kind::kLatin, "dispatcher", "ディスパッチャー"},
    {Kind::kLatin, "speechd", "スピーチディー"},
    {Kind::kLatin, "Zentory", "ゼントリー"},
    {Kind::kLatin, "Version", "バージョン"},
    // Letters spelt one by one (note names, abbreviations); key names are read whole.
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
};

}  // namespace

std::span<const SpeechTextRule> SpeechTextRules() { return kRules; }

}  // namespace zentory
