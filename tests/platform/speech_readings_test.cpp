// Every fixed text the program speaks, against the reading the embedded voice was reviewed with
// (tests/platform/speech_readings.tsv). The texts come from the program's own tables and text
// headers, so a new text without a reviewed reading fails here, and so does a changed reading.
//
// To review: ZENTORY_WRITE_READINGS=FILE writes the table as the program reads it now, for a
// fluent listener to check and copy over the stored one.
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "app/command_table.h"
#include "base/general.h"
#include "edit/position_wording.h"
#include "platform/espeak_mecab/speech_text.h"
#include "platform/espeak_mecab/voice_texts.h"
#include "song/event_names.h"
#include "song/midi_values.h"
#include "song/song_errors.h"
#include "sound/sound_errors.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = ZENTORY_SOURCE_DIR;
const fs::path kTable = kSource / "tests/platform/speech_readings.tsv";

// Rows of the table: \t, \n and \\ stand for a tab, a line break and a backslash. A text that
// starts with "+" is listed by the table itself: a text of a feature still being built.
std::string Unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char c = s[++i];
      out += c == 't' ? '\t' : c == 'n' ? '\n' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string Escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

struct Table {
  std::map<std::string, std::string> readings;
  std::vector<std::string> listedHere;  // the "+" texts
};

Table LoadTable() {
  Table table;
  std::ifstream in(kTable);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string text = Unescape(line.substr(0, tab));
    if (text.starts_with('+')) {
      text.erase(0, 1);
      table.listedHere.push_back(text);
    }
    table.readings[text] = Unescape(line.substr(tab + 1));
  }
  return table;
}

// Placeholders of a text pattern filled with a sample value.
std::string Fill(std::string text) {
  static const std::regex kNumber("%(0?\\d*)(lld|d)");
  static const std::regex kText("%s");
  return std::regex_replace(std::regex_replace(text, kNumber, "1"), kText, "1");
}

// The text constants of one header: `constexpr const char* kName = "..." "...";`.
void AddHeaderTexts(const fs::path& header, std::vector<std::string>& texts) {
  std::ifstream in(header);
  std::stringstream content;
  content << in.rdbuf();
  const std::string source = content.str();
  static const std::regex kConstant(
      R"re((?:constexpr\s+const\s+char\*|const\s+char\*\s+const)\s+(k\w+)\s*=\s*((?:"(?:[^"\\]|\\.)*"\s*)+);)re");
  static const std::regex kLiteral(R"re("((?:[^"\\]|\\.)*)")re");
  for (auto m = std::sregex_iterator(source.begin(), source.end(), kConstant);
       m != std::sregex_iterator(); ++m) {
    const std::string name = (*m)[1];
    // The key-script front end's messages are English lines for the script's author, and the
    // command line's help is printed, never spoken.
    if (name.starts_with("kScript") || name.starts_with("kCommandLine")) continue;
    std::string literals = (*m)[2];
    std::string text;
    for (auto l = std::sregex_iterator(literals.begin(), literals.end(), kLiteral);
         l != std::sregex_iterator(); ++l) {
      text += Unescape((*l)[1].str());
    }
    if (!text.empty()) texts.push_back(Fill(text));
  }
}

void AddErrorBoxes(const ErrorModule& module, std::vector<std::string>& texts) {
  // The message of an unlisted code is the default; every other message is a row of the table.
  auto message = [&](ErrorCode code) {
    std::string box = module.Format(code);
    return box.substr(box.find(' ') + 1);
  };
  const std::string fallback = message(0xFFFFFFFF);
  ErrorCode moduleHigh = 0;
  for (ErrorCode high :
       {0x00u, 0x01u, 0x03u, 0x04u, 0x06u, 0x07u, 0x08u, 0x09u, 0x0Du, 0x2Eu, 0x36u}) {
    for (ErrorCode low = 0; low < 0x40; ++low) {
      const ErrorCode code = high << 24 | low;
      if (message(code) == fallback) continue;
      texts.push_back(module.Format(code));
      if (moduleHigh == 0) moduleHigh = high;
    }
  }
  texts.push_back(module.Format(moduleHigh << 24));  // an unlisted code of the module
}

void AddEventNames(std::vector<std::string>& texts) {
  auto name = [&](std::int32_t status, std::uint32_t type = 0, std::int32_t value = 0) {
    CMusicEvent e;
    e.status = status;
    e.type = type;
    e.value = value;
    if (status == ev::kNote) {
      e.key = 60;
      e.length = 480;
      e.velocity = 100;
    }
    texts.push_back(GetEventName(e));
  };
  for (std::int32_t status : {ev::kNote, ev::kNoteOff, ev::kNoteOn, ev::kPolyPressure,
                              ev::kChannelPressure, ev::kPitchBend, ev::kSysExContinuation, 0x42}) {
    name(status);
  }
  name(ev::kProgramChange, 0, 0);
  for (std::uint32_t type = 0; type < 128; ++type) name(ev::kControlChange, type, 64);
  for (std::uint32_t type : {sysex::kMasterVolume, sysex::kGsEqSwitch, sysex::kGmSystemOn}) {
    name(ev::kSysEx, type, 100);
  }
  for (std::uint32_t type = 0; type < 128; ++type) {
    name(ev::kMeta, type, type == ev::kMetaTempo ? 500000 : 0);
  }
}

std::vector<std::string> ProgramTexts() {
  std::vector<std::string> texts;
  for (const CommandCategory& c : CommandCategories()) texts.emplace_back(c.name);
  CKeyTable keys;
  for (const CommandEntry& e : CommandEntries()) texts.push_back(SpokenCommandItem(e, keys));
  // Every named key, and one code without a name.
  for (int key = 0; key < 256; ++key) {
    if (std::string name = SpokenKeyName(key); name.find('[') == std::string::npos || key == 7) {
      texts.push_back(name);
    }
  }
  for (const ErrorModule* m :
       {&GeneralModule(), &MdtkModule(), &MuevModule(), &M1dtModule(), &M0dtModule(), &M1tkModule(),
        &MdsxModule(), &MdctModule(), &MdplModule(), &MdspModule()}) {
    AddErrorBoxes(*m, texts);
  }
  for (const char* instrument : InstrumentNames) texts.emplace_back(instrument);
  AddEventNames(texts);
  CEditPosition pos;
  for (int unit : {0, 1}) {
    for (int abbreviated : {0, 1}) texts.push_back(FormatPositionAt(pos, 2410, unit, abbreviated));
  }
  texts.push_back(StatusPositionText(pos));
  texts.push_back(StatusTrackText(pos));
  // Every header of texts the program speaks or shows in a box; the window's own labels are not
  // spoken and are left out.
  for (const char* folder :
       {"src/base", "src/song", "src/sound", "src/edit", "src/app", "src/platform/espeak_mecab"}) {
    for (const auto& entry : fs::directory_iterator(kSource / folder)) {
      if (entry.path().filename().string().ends_with("_texts.h")) {
        AddHeaderTexts(entry.path(), texts);
      }
    }
  }
  AddHeaderTexts(kSource / "src/platform/wiring/backends.h", texts);
  AddHeaderTexts(kSource / "src/sound/speech_common.h", texts);
  // The boxes' English texts: the background sound's and the settings folder's reasons.
  AddHeaderTexts(kSource / "src/sound/sound_errors.h", texts);
  AddHeaderTexts(kSource / "src/platform/wiring/app_folders.cpp", texts);
  AddHeaderTexts(kSource / "src/platform/wiring/app_folders_posix.cpp", texts);
  std::set<std::string> seen;
  std::erase_if(texts, [&](const std::string& t) { return t.empty() || !seen.insert(t).second; });
  return texts;
}

TEST(SpeechReadings, EveryFixedTextReadsAsReviewed) {
  CReadingConverter converter;
  if (!converter.HasDictionary()) GTEST_SKIP() << "mecab-ipadic-utf8 is not installed";
  ASSERT_TRUE(fs::exists(kTable)) << kTable;
  const Table table = LoadTable();

  std::vector<std::string> texts = ProgramTexts();
  const std::set<std::string> fromProgram(texts.begin(), texts.end());
  for (const std::string& t : table.listedHere) {
    if (!fromProgram.count(t)) texts.push_back(t);
  }

  std::string unreviewed;
  std::string changed;
  std::ostringstream all;
  for (const std::string& text : texts) {
    const std::string reading = converter.ToReading(text);
    const std::string plus = fromProgram.count(text) ? "" : "+";
    all << plus << Escape(text) << '\t' << Escape(reading) << '\n';
    auto row = table.readings.find(text);
    if (row == table.readings.end()) {
      unreviewed += Escape(text) + '\t' + Escape(reading) + '\n';
    } else if (row->second != reading) {
      changed += Escape(text) + "\n  reviewed: " + Escape(row->second) +
                 "\n  now:      " + Escape(reading) + '\n';
    }
  }
  // Rows for texts the program no longer has are stale: the table must follow the program.
  std::string stale;
  for (const auto& [text, reading] : table.readings) {
    if (!fromProgram.count(text) && std::find(table.listedHere.begin(), table.listedHere.end(),
                                              text) == table.listedHere.end()) {
      stale += Escape(text) + '\n';
    }
  }
  if (const char* out = std::getenv("ZENTORY_WRITE_READINGS")) std::ofstream(out) << all.str();

  // Plain text, not escaped bytes: the reviewer reads these lines.
  if (!unreviewed.empty()) ADD_FAILURE() << "texts without a reviewed reading:\n" << unreviewed;
  if (!changed.empty())
    ADD_FAILURE() << "readings that differ from the reviewed ones:\n" << changed;
  if (!stale.empty()) ADD_FAILURE() << "rows for texts the program no longer has:\n" << stale;
}

TEST(SpeechReadings, EveryProgramTextHasAReading) {
  CReadingConverter converter;
  for (const std::string& text : ProgramTexts()) {
    EXPECT_FALSE(converter.ToReading(text).empty()) << text;
  }
}

}  // namespace
}  // namespace zentory

namespace zentory {
namespace {

// What eSpeak NG's command line does with READING, spoken as the program speaks it (SSML on,
// phonemes in [[ ]] taken): its phonemes, with "(en)" where it switches to English itself.
std::string EspeakPhonemes(const std::string& reading) {
  std::string quoted = "'";
  for (char c : reading) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += "'";
  const std::string command = "espeak-ng -q -m -v ja -x " + quoted + " 2>&1";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "(popen failed)";
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  pclose(pipe);
  return out;
}

bool HaveEspeakCommand() { return std::system("espeak-ng --version >/dev/null 2>&1") == 0; }

// Texts of the users' own files and of the libraries, beside the program's own.
constexpr const char* kOtherTexts[] = {
    "/home/taro/songs/furusato.mid",
    "C:\\Users\\taro\\曲\\test_02.mid",
    "tmp",
    "マーカー　intro",
    "トラック名 Piano",
    "テキスト　Made with Zentory",
    "SDL: No available audio device",
    "FluidSynth: cannot open the SoundFont",
    "speech-dispatcher: Connection refused",
    "音色をｵｰﾎﾞｴにしました。",
    "音色をｵｰｹｽﾄﾗ ﾋｯﾄにしました。",
    "音色をｵｰﾊﾞｰﾄﾞﾗｲﾌﾞ ｷﾞﾀｰにしました。",
    "GENE01000002 メモリが不足しています。 他 3 件",
    "調号をBbmにしました。",
};

// eSpeak switches to English by itself when the Japanese voice meets what it cannot read: it
// then spells the word letter by letter in English. English the reading marks as such is
// read by the English voice and carries no such switch.
TEST(SpeechReadings, NoReadingMakesTheVoiceSwitchToEnglishByItself) {
  CReadingConverter converter;
  if (!converter.HasDictionary()) GTEST_SKIP() << "mecab-ipadic-utf8 is not installed";
  if (!HaveEspeakCommand()) GTEST_SKIP() << "the espeak-ng command is not installed";
  std::vector<std::string> texts = ProgramTexts();
  for (const char* other : kOtherTexts) texts.emplace_back(other);
  std::string switched;
  for (const std::string& text : texts) {
    const std::string reading = converter.ToReading(text);
    const std::string phonemes = EspeakPhonemes(reading);
    if (phonemes.find("(en)") != std::string::npos) {
      switched += Escape(text) + "\n  reading:  " + Escape(reading) +
                  "\n  phonemes: " + Escape(phonemes) + '\n';
    }
  }
  EXPECT_TRUE(switched.empty()) << "eSpeak switches to English by itself in:\n" << switched;

  // The box that says the dictionary is missing is read without it.
  CReadingConverter withoutDictionary("/nonexistent-dictionary");
  const std::string reading = withoutDictionary.ToReading(voice_texts::kNoDictionary);
  EXPECT_EQ(EspeakPhonemes(reading).find("(en)"), std::string::npos) << reading;
}

TEST(SpeechReadings, KeyNamesPathsCodesAndEnglishAreReadAsMeant) {
  CReadingConverter converter;
  if (!converter.HasDictionary()) GTEST_SKIP() << "mecab-ipadic-utf8 is not installed";
  // The flat and the minor belong to key names only.
  EXPECT_EQ(converter.ToReading("F#m Bb Ebm"),
            "エフシャープマイナー ビーフラット イーフラットマイナー");
  EXPECT_EQ(converter.ToReading("tmp"), "ティーエムピー");
  EXPECT_EQ(converter.ToReading("#やb"), "シャープヤビー");
  // Paths pause at their separators, keep the zeros of their numbers and read words as English.
  EXPECT_EQ(converter.ToReading("/home/test_02"),
            "、 <voice xml:lang=\"en-US\">home</voice> 、 <voice xml:lang=\"en-US\">test</voice> "
            "ゼロニ");
  // Capitals alone are spelt; English phrases keep their short words and punctuation.
  EXPECT_EQ(converter.ToReading("SDL XDG"), "エスディーエル エックスディージー");
  EXPECT_EQ(converter.ToReading("Error in CWaveOut"),
            "<voice xml:lang=\"en-US\">Error in CWaveOut</voice>");
  // A box is read message first, its code after it, each message of a batch with its own code.
  EXPECT_EQ(converter.ToReading("GENE0100000A ア 他 2 件\nMDTK0D000003 イ"),
            "ア ホカ ニ ケン コード ジーイーエヌイー ゼロイチゼロゼロ ゼロゼロゼロエー イ コード "
            "エムディーティーケー ゼロディーゼロゼロ ゼロゼロゼロサン");
  // The second key of a menu item comes after a pause.
  EXPECT_EQ(
      converter.ToReading("ア コントロール ファンクション9 シフト コントロール ファンクション1"),
      "ア コントロール ファンクションキュウ、シフト コントロール ファンクションイチ");
}

}  // namespace
}  // namespace zentory
