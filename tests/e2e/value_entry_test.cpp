// Tempo, key signature, pitch bend, pan, program and volume entered at the edit position, driven
// through the main window as a user types.
#include <gtest/gtest.h>

#include "song/event_names.h"
#include "support/dialog_harness.h"

namespace zentory {
namespace {

using Bytes = std::vector<std::vector<std::uint8_t>>;
// (tick, type or key, value) of the events of one kind.
using Rows = std::vector<std::vector<std::int64_t>>;

constexpr const char* kCancelled = "入力操作をキャンセルしました。";
constexpr const char* kNoChannel =
    "チャネルのないトラックにはパンポット、ピッチベンド、ボリュームを入力できません。";

class ValueEntry : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void Keys(std::string_view names) { h.Keys(names); }
  std::string Last() const { return h.Last(); }
  CMidi1Data& Song() { return *h.Session().Song(); }

  // The events of track INDEX accepted by MATCH as (tick, type or key, value).
  template <typename Match>
  Rows Events(int index, Match match) {
    Rows rows;
    std::int64_t t = 0;
    for (const CMusicEvent& e : h.Track(index).Events()) {
      t += e.delta;
      if (!match(e)) continue;
      const std::int64_t second =
          e.status == ev::kMeta || e.status == ev::kControlChange ? e.type : e.key;
      rows.push_back({t, second, e.value});
    }
    return rows;
  }
  Rows Controllers(int index, std::uint32_t controller) {
    return Events(index, [&](const CMusicEvent& e) {
      return e.status == ev::kControlChange && e.type == controller;
    });
  }
  Rows Programs(int index) {
    return Events(index, [](const CMusicEvent& e) { return e.status == ev::kProgramChange; });
  }
  // (tick, LSB, MSB) of the pitch bends.
  Rows Bends(int index) {
    return Events(index, [](const CMusicEvent& e) { return e.status == ev::kPitchBend; });
  }
  Rows Tempos() {
    return Events(0, [](const CMusicEvent& e) { return e.IsMeta(ev::kMetaTempo); });
  }
  // (tick, sharps, minor) of the key signatures.
  Rows KeySignatures() {
    Rows rows;
    std::int64_t t = 0;
    for (const CMusicEvent& e : h.Track(0).Events()) {
      t += e.delta;
      if (e.IsMeta(ev::kMetaKeySignature)) {
        rows.push_back({t, static_cast<std::int8_t>(e.PeekByte(0)), e.PeekByte(1)});
      }
    }
    return rows;
  }
  // Removes the control changes CONTROLLERS from track INDEX, as a file without them would be.
  void RemoveControllers(int index, std::initializer_list<std::uint32_t> controllers) {
    CMidiTrack& track = *Song().Track(index);
    for (CMusicEvent& e : track.Events()) {
      if (e.status != ev::kControlChange) continue;
      for (std::uint32_t c : controllers) {
        if (e.type == c) e.status = ev::kDeleted;
      }
    }
    track.Compact();
  }

  void AddController(int index, std::int32_t tick, int channel, int controller, int value,
                     std::int32_t mode) {
    CMusicEvent e;
    e.status = ev::kControlChange;
    e.channel = channel;
    e.type = static_cast<std::uint32_t>(controller);
    e.value = value;
    Song().Track(index)->InsertEventAtTime(tick, e, mode);
  }

  test_support::DialogHarness h;
};

TEST_F(ValueEntry, TempoIsClampedStoredAtThePositionAndRemembered) {
  Keys("Ctrl+T");
  EXPECT_EQ(Last(), "テンポの値を入力してリターンキーを押してください。");
  Keys("1 3 0 Return");
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1]のテンポを130にしました。");
  EXPECT_EQ(Tempos(), (Rows{{0, 0x51, 461000}}));  // the tempo at the tick took the value
  Keys("Right Ctrl+T Num5 Return");
  EXPECT_EQ(Last(), "小節[2] 拍[1] 節[1]のテンポを10にしました。");
  Keys("Ctrl+T 1 0 0 0 Return");
  EXPECT_EQ(Last(), "小節[2] 拍[1] 節[1]のテンポを300にしました。");
  EXPECT_EQ(Tempos(), (Rows{{0, 0x51, 461000}, {1920, 0x51, 200000}}));
  // Backspace takes back a digit; other keys, and keys held with Ctrl, type nothing.
  Keys("Ctrl+T 1 2 5 Backspace 0 A Ctrl+7 Return");
  EXPECT_EQ(Last(), "小節[2] 拍[1] 節[1]のテンポを120にしました。");
  Keys("Right Ctrl+T Return");  // nothing typed: the last tempo
  EXPECT_EQ(Last(), "小節[3] 拍[1] 節[1]のテンポを120にしました。");
  EXPECT_EQ(h.dialog->Position().endTick, 3840);  // the end follows the song
  Keys("Ctrl+T 1 - 2 Return");                    // not a number: 0, stored as the least
  EXPECT_EQ(Last(), "小節[3] 拍[1] 節[1]のテンポを10にしました。");
}

TEST_F(ValueEntry, EscapeLeavesTheSongAndTheUndoSlotAlone) {
  Keys("Ctrl+T 1 3 0 Return");
  Keys("Ctrl+T 9 0 Escape");
  EXPECT_EQ(Last(), kCancelled);
  Keys("Ctrl+Shift+P 5 0 Escape Ctrl+K A Escape Ctrl+@ Down Escape");
  EXPECT_EQ(Last(), "音色の変更をキャンセルしました。");
  EXPECT_EQ(Tempos(), (Rows{{0, 0x51, 461000}}));
  EXPECT_EQ(Controllers(1, 10), (Rows{{0, 10, 64}}));
  EXPECT_EQ(Programs(1), (Rows{{0, 0, 0}}));
  // The keyboard is back with the main handler, and the undo slot still holds the song before
  // the tempo.
  Keys("Ctrl+Z");
  EXPECT_EQ(Last(), "前のデータに戻しました。");
  EXPECT_EQ(Tempos(), (Rows{{0, 0x51, 500000}}));
}

TEST_F(ValueEntry, KeySignaturesFromTheTableOnly) {
  Keys("Ctrl+K");
  EXPECT_EQ(Last(),
            "キーを示すAからGと#やbの文字に続けて、マイナーキーの場合はMを入力してから、"
            "エンターキーを押してください。");
  Keys("H F Shift+3 M Return");  // H is not a key letter
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1]の調号をF#mにしました。");
  EXPECT_EQ(KeySignatures(), (Rows{{0, 3, 1}}));
  Keys("Right Right Ctrl+K B Shift+B Return");
  EXPECT_EQ(Last(), "小節[3] 拍[1] 節[1]の調号をBbにしました。");
  EXPECT_EQ(KeySignatures(), (Rows{{0, 3, 1}, {3840, -2, 0}}));
  // Cm# is not in the table: nothing changes, the typed text goes and the entry stays open.
  Keys("Ctrl+K C M Shift+3 Return");
  EXPECT_EQ(Last(), "その調は分かりません。もう一度入力してエンターキーを押してください。");
  EXPECT_EQ(KeySignatures(), (Rows{{0, 3, 1}, {3840, -2, 0}}));
  Keys("Return");
  EXPECT_EQ(Last(), "その調は分かりません。もう一度入力してエンターキーを押してください。");
  Keys("E Backspace A Shift+B M Return");
  EXPECT_EQ(Last(), "小節[3] 拍[1] 節[1]の調号をAbmにしました。");
  EXPECT_EQ(KeySignatures(), (Rows{{0, 3, 1}, {3840, -7, 1}}));
  EXPECT_TRUE(h.Track(0).Events().back().IsEndOfTrack());
  Keys("Ctrl+K B B Return Escape");
  EXPECT_EQ(Last(), "入力操作をキャンセルしました。");
  EXPECT_EQ(KeySignatures(), (Rows{{0, 3, 1}, {3840, -7, 1}}));
  Keys("Ctrl+Z");  // the refused try took no undo snapshot of its own
  EXPECT_EQ(KeySignatures(), (Rows{{0, 3, 1}, {3840, -2, 0}}));
}

TEST_F(ValueEntry, PanIsClampedSentAndStoredAtTheTick) {
  h.midi.Clear();
  Keys("Ctrl+Shift+P");
  EXPECT_EQ(Last(), "パンポットの値を入力してリターンキーを押してください。");
  Keys("- 1 0 0 Return");
  EXPECT_EQ(Last(), "パンポットを-100にしました。");
  EXPECT_EQ(h.Sent(), (Bytes{{0xB0, 10, 0}}));
  EXPECT_EQ(Controllers(1, 10), (Rows{{0, 10, 0}}));
  Keys("Ctrl+Shift+P 5 0 0 Return");  // beyond the right: the right
  EXPECT_EQ(Last(), "パンポットを100にしました。");
  EXPECT_EQ(Controllers(1, 10), (Rows{{0, 10, 127}}));
  Keys("Ctrl+Shift+P NumMinus 1 Return");
  EXPECT_EQ(Controllers(1, 10), (Rows{{0, 10, 63}}));  // 12573 / 200, rounded up
  Keys("Right Ctrl+Shift+P Num5 Num0 Return");
  EXPECT_EQ(Last(), "パンポットを50にしました。");
  EXPECT_EQ(Controllers(1, 10), (Rows{{0, 10, 63}, {1920, 10, 96}}));
}

TEST_F(ValueEntry, TheTwoHundredFiftySixthCharacterIsIgnored) {
  std::string keys = "Ctrl+Shift+P -";
  for (int i = 0; i < 254; ++i) keys += " 0";
  Keys(keys + " 5 Return");  // "-000…0": the 5 would have made it -5
  EXPECT_EQ(Last(), "パンポットを0にしました。");
}

TEST_F(ValueEntry, PitchBendIsATenPointReturnToTheCentre) {
  h.midi.Clear();
  Keys("Ctrl+P");
  EXPECT_EQ(Last(), "ピッチベンドの値を入力してリターンキーを押してください。");
  Keys("2 0 0 Return");
  EXPECT_EQ(Last(), "ピッチベンドを200にしました。");
  // Sensitivity 2 from the new song's registered parameter: 200 cents is the top. The centre
  // bend the new song had at tick 0 lies in the bend's span and gives way.
  const Rows bends = Bends(1);
  ASSERT_EQ(bends.size(), 10u);
  EXPECT_EQ(bends[0], (Rows::value_type{0, 127, 127}));   // 8191 + 8192
  EXPECT_EQ(bends[1], (Rows::value_type{12, 122, 120}));  // 178 cents: 7290 + 8192
  EXPECT_EQ(bends[9], (Rows::value_type{108, 0, 64}));    // the centre
  const Bytes sent = h.Sent();
  ASSERT_EQ(sent.size(), 10u);
  EXPECT_EQ(sent.front(), (std::vector<std::uint8_t>{0xE0, 127, 127}));
  EXPECT_EQ(sent.back(), (std::vector<std::uint8_t>{0xE0, 0, 64}));
  // More than the sensitivity holds is stored as the most, and said so; Return alone repeats it.
  Keys("Ctrl+P - 9 0 0 Return");
  EXPECT_EQ(Last(), "ピッチベンドを-200にしました。");
  EXPECT_EQ(Bends(1).front(), (Rows::value_type{0, 1, 0}));  // 8192 - 8191
  Keys("Ctrl+P Return");
  EXPECT_EQ(Last(), "ピッチベンドを-200にしました。");
  EXPECT_EQ(Bends(1).size(), 10u);
}

TEST_F(ValueEntry, AMissingSensitivityIsAddedBeforeTheBend) {
  RemoveControllers(2, {101, 100, 6});
  Keys("Ctrl+F2 Right End");
  const std::int64_t end = h.dialog->Position().endTick;
  // A bend of another channel in a track from a file stays where the channel's bend goes.
  CMusicEvent foreign;
  foreign.status = ev::kPitchBend;
  foreign.channel = 4;
  foreign.value = 70;
  Song().Track(2)->InsertEventAtTime(static_cast<std::int32_t>(end + 24), foreign,
                                     CMidiTrack::kAfter);
  Keys("Ctrl+P 1 0 0 Return");
  EXPECT_EQ(Last(), "ピッチベンドを100にしました。");
  // At the tick: 101, 100, 6 = 2, then the bend; the end of track stays last.
  const CMidiTrack& track = h.Track(2);
  std::int64_t t = 0;
  std::vector<std::int64_t> atEnd;
  for (const CMusicEvent& e : track.Events()) {
    t += e.delta;
    if (t == end) atEnd.push_back(e.status == ev::kControlChange ? e.type : e.status);
  }
  EXPECT_EQ(atEnd, (std::vector<std::int64_t>{101, 100, 6, ev::kPitchBend}));
  EXPECT_EQ(Controllers(2, 6), (Rows{{end, 6, 2}}));
  EXPECT_TRUE(track.Events().back().IsEndOfTrack());
  EXPECT_EQ(t, end + 108);
  EXPECT_EQ(Events(2, [](const CMusicEvent& e) { return e.channel == 4; }),
            (Rows{{end + 24, 0, 70}}));
  EXPECT_EQ(h.dialog->Position().endTick, end + 108);
  // 100 cents at 2 semitones: b = 4095.
  EXPECT_EQ(Bends(2).at(1), (Rows::value_type{end, (4095 + 8192) & 0x7F, (4095 + 8192) >> 7}));
}

TEST_F(ValueEntry, SensitivityIsTheOneAPlayOfTheWholeSongReaches) {
  // A GS part setting after the sensitivity: NRPN 1/8 = 64 must not read as 64 semitones.
  for (auto [controller, value] : {std::pair{99, 1}, {98, 8}, {6, 64}}) {
    AddController(3, 0, 2, controller, value, CMidiTrack::kAfter);
  }
  Keys("Ctrl+F3 Ctrl+P 2 0 0 Return");
  EXPECT_EQ(Last(), "ピッチベンドを200にしました。");
  EXPECT_EQ(Bends(3).front(), (Rows::value_type{0, 127, 127}));  // sensitivity 2, not 64
  // A registered selection afterwards makes data entry count again.
  for (auto [controller, value] : {std::pair{101, 0}, {100, 0}, {6, 12}}) {
    AddController(3, 0, 2, controller, value, CMidiTrack::kAfter);
  }
  Keys("Ctrl+P 1 2 0 0 Return");
  EXPECT_EQ(Last(), "ピッチベンドを1200にしました。");
  EXPECT_EQ(Bends(3).front(), (Rows::value_type{0, 127, 127}));

  // Two tracks on channel 1: the new track's data entry, first at tick 0, plays before track 1's
  // (its fifth event there), so track 1's 2 semitones are in force, not the new track's 12.
  Keys("Ctrl+A");
  ASSERT_EQ(h.Session().CurrentChannel(), 0);
  AddController(17, 0, 0, 6, 12, CMidiTrack::kBefore);
  Keys("Ctrl+P 2 0 0 Return");
  EXPECT_EQ(Bends(17).front(), (Rows::value_type{0, 127, 127}));
  EXPECT_TRUE(Bends(1).empty());  // the channel's other bends in the span give way
}

TEST_F(ValueEntry, ProgramBrowserStepsSoundsAndStores) {
  Keys("Ctrl+@");
  EXPECT_EQ(Last(), std::string(InstrumentName(0)) +
                        "が選択されています。上下、左右カーソルで音色を選択してリターンキーを"
                        "押してください。");
  h.midi.Clear();
  const std::int64_t before = h.clock.NowMs();
  Keys("Down");
  EXPECT_EQ(Last(), InstrumentName(1));
  EXPECT_EQ(h.Sent(), (Bytes{{0xC0, 1}, {0x90, 60, 127}, {0x80, 60, 0}}));
  EXPECT_EQ(h.clock.NowMs() - before, 100);
  Keys("Up Up");
  EXPECT_EQ(Last(), InstrumentName(127));
  Keys("Right");
  EXPECT_EQ(Last(), InstrumentName(127));
  Keys("Left Left");
  EXPECT_EQ(Last(), InstrumentName(112));
  Keys("Down Down Right Down Return");
  EXPECT_EQ(Last(), std::string("音色を") + InstrumentName(121) + "にしました。");
  EXPECT_EQ(Programs(1), (Rows{{0, 0, 121}}));
  // From a later position the browser starts at the program in force there, and Return changes
  // that program change.
  Keys("Right Right Ctrl+@");
  EXPECT_TRUE(Last().starts_with(InstrumentName(121)));
  Keys("Left Return");
  EXPECT_EQ(Programs(1), (Rows{{0, 0, 120}}));
  // A channel without a program change gets one first in its first track.
  Keys("Ctrl+F10 Ctrl+@ Down Return");
  EXPECT_EQ(Programs(10), (Rows{{0, 0, 1}}));
}

TEST_F(ValueEntry, ProgramBrowserSpeaksEveryStepWithoutADevice) {
  h.dialog.reset();
  h.midi.failOpen = true;
  h.Start();
  h.midi.Clear();
  Keys("Ctrl+@ Left");
  EXPECT_EQ(Last(), InstrumentName(0));
  Keys("Up");
  EXPECT_EQ(Last(), InstrumentName(127));
  Keys("Return");
  EXPECT_EQ(Programs(1), (Rows{{0, 0, 127}}));
  EXPECT_TRUE(h.Sent().empty());
}

TEST_F(ValueEntry, VolumeStepsCountFromTheEventTheyChange) {
  h.midi.Clear();
  Keys("Right Ctrl+Shift+U");
  EXPECT_EQ(Last(), "126");
  Keys("Ctrl+Shift+U Ctrl+Shift+U");
  EXPECT_EQ(Last(), "124");
  EXPECT_EQ(Controllers(1, 7), (Rows{{0, 7, 124}}));
  EXPECT_EQ(h.Sent().back(), (std::vector<std::uint8_t>{0xB0, 7, 124}));
  Keys("Ctrl+U Ctrl+U Ctrl+U Ctrl+U");
  EXPECT_EQ(Last(), "127");
  // With no volume anywhere on the channel: 127 at tick 0.
  RemoveControllers(4, {7});
  Keys("Ctrl+F4 Ctrl+U");
  EXPECT_EQ(Last(), "127");
  EXPECT_EQ(Controllers(4, 7), (Rows{{0, 7, 127}}));
  EXPECT_EQ(h.Track(4).Event(0).type, 7u);
}

TEST_F(ValueEntry, ChannelValuesNeedATrackWithAChannel) {
  Keys("Ctrl+Shift+F12");
  h.midi.Clear();
  Keys("Ctrl+P");
  EXPECT_EQ(Last(), kNoChannel);
  Keys("Ctrl+Shift+P");
  EXPECT_EQ(Last(), kNoChannel);
  Keys("Ctrl+U");
  EXPECT_EQ(Last(), kNoChannel);
  Keys("Ctrl+@");
  EXPECT_EQ(Last(), "チャネルのないトラックには音符と音色を入力できません。");
  EXPECT_TRUE(h.Sent().empty());
  // Tempo and key belong to the master track and work from any track.
  Keys("Ctrl+T 9 0 Return");
  EXPECT_EQ(Last(), "小節[1] 拍[1] 節[1]のテンポを90にしました。");
}

}  // namespace
}  // namespace zentory
