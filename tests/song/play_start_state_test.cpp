// A play from inside a song gets the state in force there, not every change before it.
#include "song/play_start_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "song/format_conversion.h"

namespace zentory {
namespace {

// (absolute tick, status, controller or meta type, value, channel)
using Row = std::vector<std::int64_t>;

CMusicEvent Channel(std::int32_t status, int channel, std::uint32_t type, std::int32_t value) {
  CMusicEvent e;
  e.status = status;
  e.channel = channel;
  e.type = type;
  e.value = value;
  return e;
}

class StateAt : public ::testing::Test {
 protected:
  void Add(std::int64_t tick, CMusicEvent e) {
    e.delta = static_cast<std::int32_t>(tick - last_);
    last_ = tick;
    track.Events().push_back(std::move(e));
  }
  void Cc(std::int64_t tick, int controller, int value, int channel = 0) {
    Add(tick, Channel(ev::kControlChange, channel, static_cast<std::uint32_t>(controller), value));
  }
  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    std::int64_t t = 0;
    for (const CMusicEvent& e : track.Events()) {
      t += e.delta;
      rows.push_back({t, e.status, e.type, e.value, e.channel});
    }
    return rows;
  }
  CMidiTrack track{CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm};
  std::int64_t last_ = 0;
};

constexpr std::int64_t B = ev::kControlChange;

TEST_F(StateAt, EarlierEventsBecomeTheStateInForceAndLaterOnesKeepTheirTimes) {
  CMusicEvent gsReset;
  gsReset.status = ev::kSysEx;
  gsReset.type = sysex::kGsReset;
  Add(0, gsReset);
  Add(0, MakeTempoEvent(0, 600000));
  Add(0, Channel(ev::kProgramChange, 0, 0, 1));
  Cc(10, 0, 8);  // a bank select after the program: it goes first all the same
  Add(20, Channel(ev::kProgramChange, 0, 0, 40));
  Add(25, MakeNoteEvent(0, 0, 60, 500, 100));      // sounding into the window: not replayed
  for (int v = 0; v < 50; ++v) Cc(30 + v, 11, v);  // an expression curve: its last value
  Cc(31, 7, 90, 3);
  Cc(40, 121, 0);  // a channel-mode message sets nothing to restore
  Cc(50, 101, 0);
  Cc(50, 100, 0);
  Cc(50, 6, 12);   // bend range
  Cc(51, 100, 1);  // fine tuning, MSB and LSB
  Cc(51, 6, 64);
  Cc(51, 38, 3);
  Cc(52, 99, 1);  // an NRPN
  Cc(52, 98, 8);
  Cc(52, 6, 70);
  Cc(52, 6, 71);
  Cc(60, 101, 127);  // RPN null: the selection in force at the start
  Cc(60, 100, 127);
  Add(70, Channel(ev::kPitchBend, 0, 0, 10));
  Add(71, Channel(ev::kPitchBend, 0, 0, 20));
  Add(100, MakeNoteEvent(0, 0, 62, 10, 100));
  Cc(120, 7, 30, 3);
  track.AppendEndOfTrack(10);

  ReduceToStateAt(track, 100);
  const std::int64_t S = ev::kSysEx, M = ev::kMeta, C = ev::kProgramChange, E = ev::kPitchBend;
  EXPECT_EQ(Rows(), (std::vector<Row>{
                        {0, S, sysex::kGsReset, 0, ev::kNoChannel},
                        {0, M, ev::kMetaTempo, 600000, ev::kNoChannel},
                        {0, B, 0, 8, 0},
                        {0, C, 0, 40, 0},
                        {0, B, 11, 49, 0},
                        {0, B, 101, 0, 0},
                        {0, B, 100, 0, 0},
                        {0, B, 6, 12, 0},
                        {0, B, 101, 0, 0},
                        {0, B, 100, 1, 0},
                        {0, B, 6, 64, 0},
                        {0, B, 38, 3, 0},
                        {0, B, 99, 1, 0},
                        {0, B, 98, 8, 0},
                        {0, B, 6, 71, 0},
                        {0, B, 101, 127, 0},
                        {0, B, 100, 127, 0},
                        {0, E, 0, 20, 0},
                        {0, B, 7, 90, 3},
                        {100, ev::kNote, 0, 0, 0},
                        {120, B, 7, 30, 3},
                        {130, M, ev::kMetaEndOfTrack, 0, ev::kNoChannel},
                    }));
}

TEST_F(StateAt, APlayFromTheHeadOrBeforeEverythingKeepsTheTrack) {
  Cc(0, 7, 100);
  Add(0, MakeNoteEvent(0, 0, 60, 10, 100));
  Cc(40, 7, 90);
  track.AppendEndOfTrack(10);
  const std::vector<Row> before = Rows();
  ReduceToStateAt(track, 0);
  EXPECT_EQ(Rows(), before);
  // Nothing lies before tick 0 of a window that starts at the first event.
  ReduceToStateAt(track, -5);
  EXPECT_EQ(Rows(), before);
}

TEST(PlayerData, APlayFromBarTwoGetsOneExpressionValueNotTheCurve) {
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  tracks.push_back(
      std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm));
  tracks.back()->AppendTempo(500000);
  tracks.back()->AppendEndOfTrack(0);
  auto t = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  for (int tick = 0; tick < 1920; tick += 10) {
    t->AppendControlChange(0, 11, tick / 16);
    t->Events().back().delta = tick == 0 ? 0 : 10;
  }
  t->Events().push_back(MakeNoteEvent(10, 0, 60, 480, 100));
  t->AppendEndOfTrack(0);
  tracks.push_back(std::move(t));
  CMidi1Data song;
  song.resolution = 480;
  song.state = song_state::kNoteForm;
  song.SetTracks(std::move(tracks));

  auto data = MakePlayerData(song, 1920, song.SongLength() + 1);
  ASSERT_TRUE(data);
  const auto& events = data->Track().Events();
  EXPECT_EQ(std::count_if(events.begin(), events.end(),
                          [](const CMusicEvent& e) { return e.status == ev::kControlChange; }),
            1);
  const auto expression = std::find_if(events.begin(), events.end(), [](const CMusicEvent& e) {
    return e.status == ev::kControlChange;
  });
  ASSERT_NE(expression, events.end());
  EXPECT_EQ(expression->value, 1910 / 16);
}

}  // namespace
}  // namespace zentory
