#include "song/event_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error_report.h"
#include "base/text_codec.h"
#include "platform/fakes/fakes.h"
#include "song/midi_values.h"

namespace zentory {
namespace {

CMusicEvent Of(std::int32_t status, std::uint32_t type = 0, std::int32_t value = 0) {
  CMusicEvent e;
  e.status = status;
  e.type = type;
  e.value = value;
  return e;
}

TEST(EventNames, WordingByKind) {
  EXPECT_EQ(GetEventName(MakeNoteEvent(0, 0, 60, 480, 100)), "ノート 60 480 100");
  EXPECT_EQ(GetEventName(Of(ev::kProgramChange, 0, 0)), "プログラムチェンジ 1");
  EXPECT_EQ(GetEventName(Of(ev::kControlChange, 7, 100)), "チャネルボリュームMSB 100");
  EXPECT_EQ(GetEventName(Of(ev::kControlChange, 2, 5)), "未定義のコントロールチェンジ5");
  EXPECT_EQ(GetEventName(Of(ev::kNoteOff)), "ノートオフ ");
  EXPECT_EQ(GetEventName(Of(ev::kSysEx, 1, 127)), "マスターボリューム 127");
  EXPECT_EQ(GetEventName(Of(ev::kSysEx, 69)), "EQ ON OFF");
  EXPECT_EQ(GetEventName(Of(ev::kSysEx, 9)), "未定義のシステムエクスクルーシブ");
  EXPECT_EQ(GetEventName(Of(0x42)), "未定義のイベント");
  EXPECT_EQ(GetEventName(MakeTempoEvent(0, 500000)), "テンポ 120");
  EXPECT_EQ(GetEventName(MakeEndOfTrack(0)), "トラック末尾");
  EXPECT_EQ(GetEventName(Of(ev::kMeta, 0x60)), "未定義のメタイベント");

  const std::string marker = "A";
  EXPECT_EQ(GetEventName(MakeMetaEvent(0, ev::kMetaMarker,
                                       {reinterpret_cast<const std::uint8_t*>(marker.data()), 1})),
            "マーカー　A");
  // Texts are stored in CP932 and spoken in UTF-8; a zero inside ends the text.
  std::string lyric = Utf8ToCp932("さくら");
  lyric += '\0';
  lyric += "x";
  EXPECT_EQ(
      GetEventName(MakeMetaEvent(
          0, ev::kMetaLyric, {reinterpret_cast<const std::uint8_t*>(lyric.data()), lyric.size()})),
      "歌詞　さくら");
  EXPECT_EQ(GetEventName(Of(ev::kMeta, ev::kMetaTrackName)), "タイトル ");
}

TEST(EventNames, Instruments) {
  EXPECT_STREQ(InstrumentNames[0], "ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ");
  EXPECT_STREQ(InstrumentNames[127], "銃声");
  EXPECT_STREQ(InstrumentName(128), "");
  for (const char* name : InstrumentNames) EXPECT_GT(Cp932Length(name), 0u);
}

TEST(MidiValues, TempoBendAndGs) {
  FakeMessageBox box;
  ScopedMessageBoxTarget scope(&box);
  EXPECT_EQ(BpmFromTempo(500000), 120);
  EXPECT_EQ(TempoFromBpm(120), 500000);
  EXPECT_TRUE(box.Boxes().empty());
  EXPECT_EQ(BpmFromTempo(999), 0);
  EXPECT_EQ(TempoFromBpm(0), 0);
  ASSERT_EQ(box.Boxes().size(), 2u);
  EXPECT_EQ(box.Boxes()[0], "GENE01000012 BPM変換でエラーが発生しました。");
  EXPECT_EQ(box.Boxes()[1].substr(0, 12), "GENE01000013");

  EXPECT_TRUE(IsPortBName("SC-88 B"));
  EXPECT_TRUE(IsPortBName("my 88B part"));
  EXPECT_FALSE(IsPortBName("SC-88"));
  EXPECT_EQ(BendFromPercent(100, 2), 4095);
  EXPECT_EQ(BendFromPercent(-100, 1), -8191);
  EXPECT_EQ(BendFromPercent(100, 0), 0);

  std::vector<std::uint8_t> msg = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12,
                                   0x40, 0x11, 0x15, 0x00, 0x00, 0xF7};
  EXPECT_TRUE(GsChecksum(msg));
  EXPECT_EQ(msg[10], 0x1A);
  msg[9] = 0x1A;
  EXPECT_TRUE(GsChecksum(msg));
  EXPECT_EQ(msg[10], 0);
  std::uint8_t part = 0;
  EXPECT_TRUE(GsPartBlock(9, &part, 0x10));
  EXPECT_EQ(part, 0x10);
  EXPECT_TRUE(GsPartBlock(0, &part, 0x10));
  EXPECT_EQ(part, 0x11);
  EXPECT_TRUE(GsPartBlock(10, &part, 0x10));
  EXPECT_EQ(part, 0x1A);
  box.Clear();
  EXPECT_FALSE(GsPartBlock(0, nullptr, 0x10));
  EXPECT_FALSE(GsChecksum(std::span<std::uint8_t>(msg.data(), 5)));
  ASSERT_EQ(box.Boxes().size(), 2u);
  EXPECT_EQ(box.Boxes()[0], "MDSX36000001 システムエクスクルーシブでエラーが発生しました。");
}

}  // namespace
}  // namespace zentory
