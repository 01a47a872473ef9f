#include "song/event_names.h"

#include <string_view>

#include "base/text_codec.h"
#include "song/midi_values.h"

namespace zentory {

const std::array<const char*, 128> InstrumentNames = {
    "ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ",       // 0
    "ﾌﾞﾗｲﾄ ﾋﾟｱﾉ",        // 1
    "ｴﾚｸﾄﾘｯｸ ｸﾞﾗﾝﾄﾞ",    // 2
    "ﾎﾝｷｰﾄﾝｸ ﾋﾟｱﾉ",      // 3
    "ｴﾚｸﾄﾘｯｸ ﾋﾟｱﾉ 1",    // 4
    "ｴﾚｸﾄﾘｯｸ ﾋﾟｱﾉ 2",    // 5
    "ﾊｰﾌﾟｼｺｰﾄﾞ",         // 6
    "ｸﾗﾋﾞ",              // 7
    "ｾﾚｽﾃ",              // 8
    "ｸﾞﾛｯｹﾝｼｭﾋﾟｰﾙ",      // 9
    "ｵﾙｺﾞｰﾙ",            // 10
    "ﾋﾞﾌﾞﾗﾌｫﾝ",          // 11
    "ﾏﾘﾝﾊﾞ",             // 12
    "木琴",              // 13
    "ﾁｭｰﾌﾞﾗ ﾍﾞﾙ",        // 14
    "ｻﾝﾄｩｰﾙ",            // 15
    "ｵﾙｶﾞﾝ",             // 16
    "ﾊﾟｰｶｯｼﾌﾞ ｵﾙｶﾞﾝ",    // 17
    "ﾛｯｸ ｵﾙｶﾞﾝ",         // 18
    "ﾊﾟｲﾌﾟ ｵﾙｶﾞﾝ",       // 19
    "ﾘｰﾄﾞ ｵﾙｶﾞﾝ",        // 20
    "ｱｺｰﾃﾞｨｵﾝ",          // 21
    "ﾊｰﾓﾆｶ",             // 22
    "ﾊﾞﾝﾄﾞﾈｵﾝ",          // 23
    "ｶﾞｯﾄ ｷﾞﾀｰ",         // 24
    "ｽﾁｰﾙ ｷﾞﾀｰ",         // 25
    "ｼﾞｬｽﾞ ｷﾞﾀｰ",        // 26
    "ｸﾘｰﾝ ｷﾞﾀｰ",         // 27
    "消音ｷﾞﾀｰ",          // 28
    "ｵｰﾊﾞｰﾄﾞﾗｲﾌﾞ ｷﾞﾀｰ",  // 29
    "ﾃﾞｨｽﾄｰｼｮﾝ ｷﾞﾀｰ",    // 30
    "ｷﾞﾀｰ ﾊｰﾓﾆｸｽ",       // 31
    "ｳｯﾄﾞﾍﾞｰｽ",          // 32
    "ﾌｨﾝｶﾞｰ ｴﾚｷﾍﾞｰｽ",    // 33
    "ﾋﾟｯｸ ｴﾚｷﾍﾞｰｽ",      // 34
    "ﾌﾚｯﾄﾚｽ ﾍﾞｰｽ",       // 35
    "ｽﾗｯﾌﾟ ﾍﾞｰｽ 1",      // 36
    "ｽﾗｯﾌﾟ ﾍﾞｰｽ 2",      // 37
    "ｼﾝｾ ﾍﾞｰｽ 1",        // 38
    "ｼﾝｾ ﾍﾞｰｽ 2",        // 39
    "ﾊﾞｲｵﾘﾝ",            // 40
    "ﾋﾞｵﾗ",              // 41
    "ﾁｪﾛ",               // 42
    "ｺﾝﾄﾗﾊﾞｽ",           // 43
    "ﾄﾚﾓﾛ ｽﾄﾘﾝｸﾞｽ",      // 44
    "ﾋﾟｯﾁｶｰﾄ ｽﾄﾘﾝｸﾞｽ",   // 45
    "ﾊｰﾌﾟ",              // 46
    "ﾃｨﾝﾊﾟﾆｰ",           // 47
    "ｱﾝｻﾝﾌﾞﾙ ｽﾄﾘﾝｸﾞｽ",   // 48
    "ｽﾛｰ ｽﾄﾘﾝｸﾞｽ",       // 49
    "ｼﾝｾ ｽﾄﾘﾝｸﾞｽ 1",     // 50
    "ｼﾝｾ ｽﾄﾘﾝｸﾞｽ 2",     // 51
    "歌声 ｱｰ",           // 52
    "歌声 ｳｰ",           // 53
    "ｼﾝｾ ﾎﾞｯｸｽ",         // 54
    "ｵｰｹｽﾄﾗ ﾋｯﾄ",        // 55
    "ﾄﾗﾝﾍﾟｯﾄ",           // 56
    "ﾄﾛﾝﾎﾞｰﾝ",           // 57
    "ﾁｭｰﾊﾞ",             // 58
    "消音ﾄﾗﾝﾍﾟｯﾄ",       // 59
    "ﾌﾚﾝﾁ ﾎﾙﾝ",          // 60
    "ﾌﾞﾗｽ",              // 61
    "ｼﾝｾ ﾌﾞﾗｽ 1",        // 62
    "ｼﾝｾ ﾌﾞﾗｽ 2",        // 63
    "ｿﾌﾟﾗﾉ ｻｯｸｽ",        // 64
    "ｱﾙﾄ ｻｯｸｽ",          // 65
    "ﾃﾅｰ ｻｯｸｽ",          // 66
    "ﾊﾞﾘﾄﾝ ｻｯｸｽ",        // 67
    "ｵｰﾎﾞｴ",             // 68
    "ｲﾝｸﾞﾘｯｼｭ ﾎﾙﾝ",      // 69
    "ﾊﾞｽｰﾝ",             // 70
    "ｸﾗﾘﾈｯﾄ",            // 71
    "ﾋﾟｯｺﾛ",             // 72
    "ﾌﾙｰﾄ",              // 73
    "ﾘｺｰﾀﾞｰ",            // 74
    "ﾊﾟﾝ ﾌﾙｰﾄ",          // 75
    "ﾎﾞﾄﾙ ﾌﾞﾛｳ",         // 76
    "尺八",              // 77
    "口笛",              // 78
    "ｵｶﾘﾅ",              // 79
    "矩形波",            // 80
    "鋸波",              // 81
    "ｼﾝｾ ｶﾘｵﾍﾟ",         // 82
    "ｻｲﾌｧ ﾘｰﾄﾞ",         // 83
    "ﾁｬﾗﾝｸﾞ",            // 84
    "ｿﾛ ﾎﾞｯｸｽ",          // 85
    "5度の鋸波",         // 86
    "ﾍﾞｰｽとﾘｰﾄﾞ",        // 87
    "ﾌｧﾝﾀｼﾞｱ",           // 88
    "ｳｫｰﾑ ﾊﾟｯﾄﾞ",        // 89
    "ﾎﾟﾘ ｼﾝｾ",           // 90
    "宇宙の声",          // 91
    "ﾌﾞﾛｰﾄﾞ ｸﾞﾗｽ",       // 92
    "ﾒﾀﾙ ﾊﾟｯﾄﾞ",         // 93
    "ﾊﾛ ﾊﾟｯﾄﾞ",          // 94
    "ｽｨｰﾌﾟ ﾊﾟｯﾄﾞ",       // 95
    "ｱｲｽ ﾚｲﾝ",           // 96
    "ｻｳﾝﾄﾞﾄﾗｯｸ",         // 97
    "水晶",              // 98
    "ｱﾄﾓｽﾌｪｱｰ",          // 99
    "ﾌﾞﾗｲﾄﾈｽ",           // 100
    "ｺﾞﾌﾞﾘﾝ",            // 101
    "ｴｺｰ ﾄﾞﾛｯﾌﾟｽ",       // 102
    "星のﾃｰﾏ",           // 103
    "ｼﾀｰﾙ",              // 104
    "ﾊﾞﾝｼﾞｮｰ",           // 105
    "三味線",            // 106
    "琴",                // 107
    "ｶﾘﾝﾊﾞ",             // 108
    "ﾊﾞｸﾞﾊﾟｲﾌﾟ",         // 109
    "ﾌｨｰﾄﾞﾙ",            // 110
    "ｼｬﾅｲ",              // 111
    "ﾃｨﾝｸﾙ ﾍﾞﾙ",         // 112
    "ｱｺﾞｺﾞ",             // 113
    "ｽﾁｰﾙ ﾄﾞﾗﾑ",         // 114
    "ｳｯﾄﾞ ﾌﾞﾛｯｸ",        // 115
    "太鼓",              // 116
    "ﾒﾛﾃﾞｨｯｸ ﾀﾑ ﾀﾑ",     // 117
    "ｼﾝｾ ﾄﾞﾗﾑ",          // 118
    "ﾘﾊﾞｰｽ ｼﾝﾊﾞﾙ",       // 119
    "ﾌﾚｯﾄﾉｲｽﾞ",          // 120
    "息のﾉｲｽﾞ",          // 121
    "波の音",            // 122
    "鳥の声",            // 123
    "電話",              // 124
    "ﾍﾘｺﾌﾟﾀｰ",           // 125
    "拍手",              // 126
    "銃声",              // 127
};

const char* InstrumentName(std::int32_t program) {
  if (program < 0 || program > 127) return "";
  return InstrumentNames[static_cast<std::size_t>(program)];
}

namespace {

// Every wording of an event, in one place.
namespace text {
constexpr const char* kNote = "ノート ";
constexpr const char* kNoteOff = "ノートオフ ";
constexpr const char* kNoteOn = "ノートオン ";
constexpr const char* kPolyPressure = "ポリプレス ";
constexpr const char* kProgramChange = "プログラムチェンジ ";
constexpr const char* kChannelPressure = "チャネルプレス ";
constexpr const char* kPitchBend = "ピッチベンド ";
constexpr const char* kMasterVolume = "マスターボリューム ";
constexpr const char* kEqSwitch = "EQ ON OFF";
constexpr const char* kUndefinedSysEx = "未定義のシステムエクスクルーシブ";
constexpr const char* kSysExContinuation = "システムエクスクルーシブ ";
constexpr const char* kUndefinedEvent = "未定義のイベント";
constexpr const char* kUndefinedController = "未定義のコントロールチェンジ";
constexpr const char* kUndefinedMeta = "未定義のメタイベント";
}  // namespace text

struct Label {
  std::uint32_t type;
  const char* text;
};

constexpr Label kControllers[] = {
    {0, "バンクセレクトMSB "},
    {1, "モジュレーション "},
    {6, "データエントリーMSB "},
    {7, "チャネルボリュームMSB "},
    {10, "パン "},
    {11, "エクスプレッションMSB "},
    {32, "バンクセレクトLSB "},
    {38, "データエントリーLSB "},
    {39, "チャネルボリュームLSB "},
    {43, "エクスプレッションLSB "},
    {55, "チャネルリザーブ "},
    {64, "ホールド "},
    {91, "リバーブセンド "},
    {93, "コーラスセンド "},
    {94, "セレステ・デプス "},
    {98, "NRPN LSB "},
    {99, "NRPN MSB "},
    {100, "RPN LSB "},
    {101, "RPN MSB "},
};

// Meta labels; the text events (types 1-7) are followed by their text.
constexpr Label kMetas[] = {
    {0x00, "シーケンス番号"},
    {0x01, "テキスト　"},
    {0x02, "著作権情報　"},
    {0x03, "タイトル "},
    {0x04, "インストルメント名　"},
    {0x05, "歌詞　"},
    {0x06, "マーカー　"},
    {0x07, "キューポイント　"},
    {0x20, "チャネルプリフィックス"},
    {0x2F, "トラック末尾"},
    {0x51, "テンポ "},
    {0x54, "SMPTEオフセット"},
    {0x58, "拍子"},
    {0x59, "調号"},
    {0x7F, "シーケンサー特有"},
};

const char* Find(const Label* begin, const Label* end, std::uint32_t type) {
  for (const Label* l = begin; l != end; ++l) {
    if (l->type == type) return l->text;
  }
  return nullptr;
}

std::string Num(std::int64_t v) { return std::to_string(v); }

}  // namespace

bool IsNamedController(std::uint32_t type) {
  return Find(std::begin(kControllers), std::end(kControllers), type) != nullptr;
}

std::string GetEventName(const CMusicEvent& e) {
  std::string s;
  switch (e.status) {
    case ev::kNote:
      s = text::kNote;
      s += Num(e.key) + " " + Num(e.length) + " " + Num(e.velocity);
      return s;
    case ev::kNoteOff:
      return text::kNoteOff;
    case ev::kNoteOn:
      return text::kNoteOn;
    case ev::kPolyPressure:
      return text::kPolyPressure;
    case ev::kControlChange: {
      const char* label = Find(std::begin(kControllers), std::end(kControllers), e.type);
      s = label != nullptr ? label : text::kUndefinedController;
      return s + Num(e.value);
    }
    case ev::kProgramChange:
      return std::string(text::kProgramChange) + Num(static_cast<std::int64_t>(e.value) + 1);
    case ev::kChannelPressure:
      return text::kChannelPressure;
    case ev::kPitchBend:
      return text::kPitchBend;
    case ev::kSysEx:
      if (e.type == sysex::kMasterVolume) return std::string(text::kMasterVolume) + Num(e.value);
      if (e.type == sysex::kGsEqSwitch) return text::kEqSwitch;
      return text::kUndefinedSysEx;
    case ev::kSysExContinuation:
      return text::kSysExContinuation;
    case ev::kMeta: {
      const char* label = Find(std::begin(kMetas), std::end(kMetas), e.type);
      if (label == nullptr) return text::kUndefinedMeta;
      s = label;
      if (e.type >= ev::kMetaText && e.type <= ev::kMetaCuePoint) {
        s += Cp932ToUtf8(e.DataText());
      } else if (e.type == ev::kMetaTempo) {
        s += Num(BpmFromTempo(e.value));
      }
      return s;
    }
    default:
      return text::kUndefinedEvent;
  }
}

}  // namespace zentory
