// The steps of the reading that look at more than one word: where a box's code goes, the pause
// between two keys of a menu item, English phrases handed to an English voice, and the kana
// sequences the Japanese voice would otherwise give up on and spell in English.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zentory {

// The markup around an English span of a reading (eSpeak NG's SSML). eSpeak NG 1.51 honours
// only the first element of a text that asks for plain "en"; "en-US" it honours every time.
inline constexpr std::string_view kEnglishOpen = "<voice xml:lang=\"en-US\">";
inline constexpr std::string_view kEnglishClose = "</voice>";

// A box's message that starts with an error code ("GENE01000002 メモリが…") is read message
// first: "メモリが… コード GENE01000002". The message runs to the next line with a code (a
// batched box lists several), so its own line breaks and " 他 N 件" stay with it.
std::string CodeAfterMessage(std::string_view text);

// A menu item's second key follows its first after a pause ("… ファンクション9、シフト …").
std::string PauseBetweenKeys(std::string_view text);

// The reading rules that hold for any voice, SAPI's included: a box's code after its message,
// the pause between a menu item's two keys, and the brackets around numbers ("小節[1]"), which
// are for the eye only.
std::string ReadingRulesForAnyVoice(std::string_view text);

struct ReadingSegment {
  std::string text;
  bool english = false;
};
// Splits TEXT into Japanese and English parts. A phrase of Latin words (joined by blanks and
// punctuation) is English when one of its words is: four letters or more, with a lower-case
// letter, and not a word the reading table knows. Capitals alone (MIDI, SDL) and short words
// stay with the Japanese voice, which spells them.
std::vector<ReadingSegment> SplitEnglish(std::string_view text,
                                         bool (*knownWord)(std::string_view word));

// eSpeak NG's Japanese voice spells a whole word in English when a kana is followed by the same
// vowel lengthened (ノオー, ヲオー, カアー); a blank between them keeps it Japanese.
std::string SeparateRepeatedVowels(std::string_view reading);

}  // namespace zentory
