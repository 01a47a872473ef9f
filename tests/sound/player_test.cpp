#include "sound/player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A song in note form at RES ticks per quarter from events with absolute ticks.
struct SongBuilder {
  std::int32_t res = 96;
  std::vector<std::pair<std::int64_t, CMusicEvent>> events;
  SongBuilder& Note(std::int64_t tick, int key, int length, int channel = 0) {
    events.emplace_back(tick, MakeNoteEvent(0, channel, key, length, 100));
    return *this;
  }
  SongBuilder& Tempo(std::int64_t tick, std::int32_t us) {
    events.emplace_back(tick, MakeTempoEvent(0, us));
    return *this;
  }
  SongBuilder& SysEx(std::int64_t tick, std::vector<std::uint8_t> stored) {
    CMusicEvent e;
    e.status = ev::kSysEx;
    e.SetData(stored);
    events.emplace_back(tick, e);
    return *this;
  }
  SongBuilder& Program(std::int64_t tick, int program, int channel = 0) {
    CMusicEvent e;
    e.status = ev::kProgramChange;
    e.value = program;
    e.channel = channel;
    events.emplace_back(tick, e);
    return *this;
  }
  CMidi0Data Build() const {
    CMidi0Data d;
    d.resolution = res;
    d.state = song_state::kNoteForm;
    d.Track().SetForm(CMidiTrack::kNoteForm);
    std::int64_t last = 0;
    for (const auto& [tick, e] : events) {
      CMusicEvent c(e);
      c.delta = static_cast<std::int32_t>(tick - last);
      last = tick;
      d.Track().Events().push_back(c);
    }
    d.Track().AppendEndOfTrack(res * 4);
    return d;
  }
};

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { RearmNoMidiDeviceReport(); }

  CPlayer::Ports MakePorts() {
    CPlayer::Ports p;
    p.midi = &output;
    p.clock = &clock;
    p.timers = &clock;
    return p;
  }
  // The note-ons and note-offs sent, with their due times relative to the first one.
  std::vector<FakeMidiOutput::Message> Notes() {
    std::vector<FakeMidiOutput::Message> out;
    for (auto& m : output.Messages()) {
      if ((m.bytes[0] & 0xE0) == 0x80) out.push_back(m);
    }
    return out;
  }
  void Finish(CPlayer& player) {
    clock.Advance(10'000'000);
    ASSERT_TRUE(player.WaitIdle(5000));
  }

  FakeMessageBox box;
  ScopedMessageBoxTarget scope{&box};
  FakeClock clock;
  FakeMidiOutput output{&clock};
  std::atomic<int> ends{0};
  CPlayer::EndCallback end = [this] { ++ends; };
};

TEST_F(PlayerTest, LeadingBarsAreSkippedAndTheDefaultTempoIs120) {
  CPlayer player(MakePorts());
  std::vector<std::int64_t> hookTicks;
  auto hook = [&](int, std::int64_t tick, CMusicEvent* e) {
    if (!e || e->status == ev::kNoteOn) hookTicks.push_back(tick);
  };
  CMidi0Data song = SongBuilder().Note(800, 60, 48).Note(896, 62, 48).Build();
  ASSERT_TRUE(player.StartPlay(song, end, hook, true));
  EXPECT_EQ(output.Messages()[0].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
  Finish(player);
  // Two bars of 384 go; the first note comes 32 ticks after the start, at 120 BPM.
  ASSERT_EQ(hookTicks.size(), 3u);
  EXPECT_EQ(hookTicks[0], 768);
  EXPECT_EQ(hookTicks[1], 800);
  auto notes = Notes();
  ASSERT_EQ(notes.size(), 4u);
  // Time 0 follows the pause after the GM System On, on a port that takes one message at a time.
  EXPECT_EQ(notes[0].dueUs - 50000, 32 * 500000 / 96);
  EXPECT_EQ(notes[2].dueUs - notes[0].dueUs, 500000);  // one quarter later, exactly
  EXPECT_EQ(notes[2].timeMs - notes[0].timeMs, 500);
  EXPECT_EQ(ends.load(), 1);
  EXPECT_EQ(output.OpenPorts(), 0);
}

TEST_F(PlayerTest, DueTimesFollowTheTempoMapWithoutDrift) {
  SongBuilder b;
  b.res = 480;  // rescaled to 96
  b.Tempo(0, 500000);
  for (int i = 0; i < 960; ++i) b.Note(i * 5, 60, 5);  // 1 tick at 96: 5208.33 us each
  b.Tempo(960 * 5, 5000000).Note(960 * 5, 61, 480);    // 12 BPM, kept exactly
  b.Note(960 * 5 + 480, 62, 480);
  CPlayer player(MakePorts());
  ASSERT_TRUE(player.StartPlay(b.Build(), end, {}, false));
  Finish(player);
  std::vector<std::int64_t> onsets;
  for (auto& m : Notes()) {
    if ((m.bytes[0] & 0xF0) == 0x90) onsets.push_back(m.dueUs);
  }
  ASSERT_EQ(onsets.size(), 962u);
  EXPECT_EQ(onsets[96] - onsets[0], 500000);
  EXPECT_EQ(onsets[960] - onsets[0], 5000000);
  EXPECT_EQ(onsets[961] - onsets[960], 5000000);
  EXPECT_TRUE(box.Boxes().empty());
}

TEST_F(PlayerTest, TempoClampsAreReportedAndApplied) {
  std::vector<std::string> routed;
  auto ports = MakePorts();
  ports.route = [&](const std::string& t) { routed.push_back(t); };
  CPlayer player(ports);
  CMidi0Data song = SongBuilder()
                        .Note(0, 60, 10)
                        .Tempo(96, 7000000)  // 8 BPM: plays at 10
                        .Note(96, 61, 10)
                        .Tempo(192, 500)  // wrong: plays at 60
                        .Note(192, 62, 10)
                        .Note(288, 63, 10)
                        .Build();
  ASSERT_TRUE(player.StartPlay(song, end, {}, false));
  Finish(player);
  std::vector<std::int64_t> onsets;
  for (auto& m : Notes()) {
    if ((m.bytes[0] & 0xF0) == 0x90) onsets.push_back(m.dueUs);
  }
  ASSERT_EQ(onsets.size(), 4u);
  EXPECT_EQ(onsets[2] - onsets[1], 6000000);
  EXPECT_EQ(onsets[3] - onsets[2], 1000000);
  ASSERT_EQ(routed.size(), 2u);
  EXPECT_EQ(routed[0], "MDPL08000003 設定されているテンポが遅すぎます。");
  EXPECT_EQ(routed[1], "MDPL08000006 テンポに誤りがあります。");
  EXPECT_TRUE(box.Boxes().empty());  // nothing waited for a box on the timer thread
}

TEST_F(PlayerTest, StopDuringALongRestClosesTheDeviceWithoutTheEndCallback) {
  CPlayer player(MakePorts());
  CMidi0Data song = SongBuilder().Note(0, 60, 10).Note(96 * 400, 61, 10).Build();
  ASSERT_TRUE(player.StartPlay(song, end, {}, false));
  clock.Advance(1000);
  EXPECT_TRUE(player.IsPlaying());
  EXPECT_EQ(output.OpenPorts(), 1);
  const auto sent = output.Messages().size();
  const auto slept = clock.TotalSlept();
  player.StopPlay();
  // The stop takes no settling time of its own: its answer can follow the key at once.
  EXPECT_LT(clock.TotalSlept() - slept, 150);
  EXPECT_TRUE(player.IsIdle());
  EXPECT_EQ(output.OpenPorts(), 0);
  EXPECT_EQ(clock.PendingTimers(), 0u);
  clock.Advance(1'000'000);
  EXPECT_EQ(output.Messages().size(), sent);
  EXPECT_EQ(ends.load(), 0);
}

TEST_F(PlayerTest, TheHookSilencesMutedChannelsButTheirNoteOffsGo) {
  CPlayer player(MakePorts());
  auto hook = [](int, std::int64_t, CMusicEvent* e) {
    if (e && e->status == ev::kNoteOn && e->channel == 1) e->status = 0;
  };
  CMidi0Data song = SongBuilder().Note(0, 60, 10, 0).Note(0, 64, 10, 1).Build();
  ASSERT_TRUE(player.StartPlay(song, end, hook, false));
  Finish(player);
  std::vector<Bytes> notes;
  for (auto& m : Notes()) notes.push_back(m.bytes);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0], (Bytes{0x90, 60, 100}));
  EXPECT_EQ(std::count(notes.begin(), notes.end(), Bytes{0x80, 60, 0}), 1);
  EXPECT_EQ(std::count(notes.begin(), notes.end(), Bytes{0x81, 64, 0}), 1);
}

TEST_F(PlayerTest, OnlySystemExclusiveSetupIsSpacedAndOnlyForHardware) {
  const std::vector<std::uint8_t> gsReset = {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12,
                                             0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  CMidi0Data song =
      SongBuilder().Program(0, 5).SysEx(0, gsReset).Program(0, 6, 1).Note(0, 60, 10).Build();
  {
    // One message at a time: a pause after the GM System On and after the song's own system
    // exclusive message, none between the other setup messages.
    CPlayer player(MakePorts());
    const auto t0 = clock.NowMs();
    ASSERT_TRUE(player.StartPlay(song, end, {}, false));
    Finish(player);
    auto m = output.Messages();
    ASSERT_GE(m.size(), 5u);
    EXPECT_EQ(m[0].timeMs, t0);  // GM System On
    EXPECT_EQ(m[1].bytes, (Bytes{0xC0, 5}));
    EXPECT_EQ(m[1].timeMs, t0 + 50);
    EXPECT_EQ(m[2].timeMs, t0 + 50);  // the GS reset
    EXPECT_EQ(m[3].bytes, (Bytes{0xC1, 6}));
    EXPECT_EQ(m[3].timeMs, t0 + 100);
    EXPECT_EQ(m[4].bytes, (Bytes{0x90, 60, 100}));
    EXPECT_EQ(m[4].timeMs, t0 + 100);  // time 0 follows the last pause
  }
  output.Clear();
  output.burst = true;
  CPlayer player(MakePorts());
  const auto t0 = clock.NowMs();
  ASSERT_TRUE(player.StartPlay(song, end, {}, false));
  Finish(player);
  auto m = output.Messages();
  ASSERT_GE(m.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(m[i].timeMs, t0) << i;
}

TEST_F(PlayerTest, StartsThatCannotPlayEndAtOnce) {
  CPlayer player(MakePorts());
  // No note-on: ended at once with the end callback.
  EXPECT_TRUE(player.StartPlay(SongBuilder().Program(0, 1).Build(), end, {}, false));
  EXPECT_EQ(ends.load(), 1);
  EXPECT_TRUE(player.IsIdle());
  EXPECT_EQ(output.OpenPorts(), 0);
  // A device that does not open: reported, the end callback runs, nothing waits.
  output.failOpen = true;
  EXPECT_FALSE(player.StartPlay(SongBuilder().Note(0, 60, 1).Build(), end, {}, false));
  EXPECT_EQ(ends.load(), 2);
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0].rfind("MDCT07000001", 0), 0u);
  // A song not in note form is refused.
  CMidi0Data raw = SongBuilder().Note(0, 60, 1).Build();
  raw.state = song_state::kRawForm;
  EXPECT_FALSE(player.StartPlay(raw, end, {}, false));
}

TEST_F(PlayerTest, ALargeSongPlaysWholeBeyondTheEditingLimit) {
  SongBuilder b;
  for (int i = 0; i < 70000; ++i) b.Note(i, 40 + i % 40, 1);  // 140,000 raw events and more
  CPlayer player(MakePorts());
  ASSERT_TRUE(player.StartPlay(b.Build(), end, {}, false));
  Finish(player);
  EXPECT_EQ(Notes().size(), 140000u);
  EXPECT_EQ(ends.load(), 1);
  EXPECT_TRUE(box.Boxes().empty());
}

TEST_F(PlayerTest, AnEndedPlayMayBeFollowedAndTheDestructorStopsARunningOne) {
  CMidi0Data song = SongBuilder().Note(0, 60, 10).Note(96 * 100, 61, 10).Build();
  auto player = std::make_unique<CPlayer>(MakePorts());
  ASSERT_TRUE(player->StartPlay(song, end, {}, false));
  Finish(*player);
  ASSERT_TRUE(player->StartPlay(song, end, {}, false));
  clock.Advance(100);
  player.reset();
  EXPECT_EQ(output.OpenPorts(), 0);
  EXPECT_EQ(clock.PendingTimers(), 0u);
  EXPECT_EQ(ends.load(), 1);
}

}  // namespace
}  // namespace zentory
