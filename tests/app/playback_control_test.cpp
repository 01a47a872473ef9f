#include "app/playback_control.h"

#include <gtest/gtest.h>

#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

CMidi0Data Song(std::int32_t tempo = 500000) {
  CMidi0Data d;
  d.resolution = 96;
  d.state = song_state::kNoteForm;
  d.Track().SetForm(CMidiTrack::kNoteForm);
  d.Track().Events().push_back(MakeTempoEvent(0, tempo));
  d.Track().Events().push_back(MakeNoteEvent(0, 0, 60, 48, 100));
  d.Track().Events().push_back(MakeNoteEvent(0, 1, 64, 48, 100));
  d.Track().Events().push_back(MakeNoteEvent(96, 0, 62, 48, 100));
  d.Track().AppendEndOfTrack(96);
  return d;
}

class PlaybackControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RearmNoMidiDeviceReport();
    CPlaybackControl::Ports p;
    p.midi = &midi;
    p.clock = &clock;
    p.timers = &clock;
    p.post = &post;
    p.releaseEditorDevice = [this] {
      ASSERT_TRUE(editorOpen);
      editorOpen = false;
    };
    p.reopenEditorDevice = [this] {
      ASSERT_FALSE(editorOpen);  // never two devices at once
      ASSERT_TRUE(control->Player().IsIdle());
      editorOpen = true;
    };
    control = std::make_unique<CPlaybackControl>(p);
  }
  std::vector<int> Posted() {
    std::vector<int> out;
    post.Drain([&](int m) { out.push_back(m); });
    return out;
  }

  FakeMessageBox box;
  ScopedMessageBoxTarget scope{&box};
  FakeClock clock;
  FakeMidiOutput midi{&clock};
  FakeMainWindowPost post;
  bool editorOpen = true;
  std::unique_ptr<CPlaybackControl> control;
};

TEST_F(PlaybackControlTest, APlayTakesTheDeviceAndGivesItBackAfterItsEnd) {
  std::array<int, 16> states{};
  states.fill(1);
  states[1] = 0;
  ASSERT_TRUE(control->Start(Song(), &states));
  EXPECT_FALSE(editorOpen);
  EXPECT_TRUE(control->Active());
  clock.Advance(5000);
  ASSERT_TRUE(control->Player().WaitIdle(5000));
  EXPECT_EQ(Posted(), std::vector<int>{kMsgPlaybackEnded});
  EXPECT_TRUE(control->OnEnded());
  EXPECT_TRUE(editorOpen);
  for (const auto& m : midi.Messages()) {
    EXPECT_FALSE(m.bytes[0] == 0x91 && m.bytes[2] > 0) << "channel 2 was switched off";
  }
  control->Stop();  // the play is over: nothing to stop, no box
  EXPECT_TRUE(box.Boxes().empty());
}

TEST_F(PlaybackControlTest, AStopReturnsTheDeviceAtOnceAndPostsNoEnd) {
  ASSERT_TRUE(control->Start(Song(), nullptr));
  clock.Advance(100);
  control->Stop();
  EXPECT_TRUE(editorOpen);
  EXPECT_FALSE(control->Active());
  EXPECT_TRUE(Posted().empty());
}

TEST_F(PlaybackControlTest, ReportsOfTheTimerThreadWaitForTheUiThread) {
  ASSERT_TRUE(control->Start(Song(7000000), nullptr));  // too slow: reported while playing
  clock.Advance(60000);
  ASSERT_TRUE(control->Player().WaitIdle(5000));
  EXPECT_TRUE(box.Boxes().empty());
  auto posted = Posted();
  ASSERT_FALSE(posted.empty());
  EXPECT_EQ(posted[0], kMsgPlayReport);
  control->ShowReports();
  ASSERT_EQ(box.Boxes().size(), 1u);
  EXPECT_EQ(box.Boxes()[0], "MDPL08000003 設定されているテンポが遅すぎます。");
}

TEST_F(PlaybackControlTest, AStartWhoseDeviceFailsReturnsAtOnceWithTheEditorsDevice) {
  midi.failOpen = true;
  EXPECT_FALSE(control->Start(Song(), nullptr));
  EXPECT_TRUE(editorOpen);
  EXPECT_FALSE(control->Active());
  EXPECT_TRUE(control->OnEnded());  // the end it posted changes nothing
  EXPECT_TRUE(editorOpen);
}

}  // namespace
}  // namespace zentory
