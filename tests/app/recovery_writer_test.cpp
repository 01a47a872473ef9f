// The recovery writer's thread: a write in progress never races the UI thread's changes, and
// WriteNow and Discard wait for it.
#include "app/recovery_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fakes/fakes.h"
#include "support/temp_dir.h"

namespace zentory {
namespace {

namespace fs = std::filesystem;

TEST(RecoveryWriter, ABackgroundWriteIsCompleteBeforeWriteNowAndDiscard) {
  test_support::TempDir dir;
  FakeClock clock;
  FakeMainWindowPost post;
  CMidi1Data song;
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  auto track = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  for (int i = 0; i < 100000; ++i) track->Events().push_back(MakeNoteEvent(10, 0, 60, 5, 100));
  track->AppendEndOfTrack(0);
  tracks.push_back(std::move(track));
  song.SetTracks(std::move(tracks));
  song.state = song_state::kNoteForm;
  {
    CRecoveryWriter writer(dir.Str(), "recovery-x", true, &clock, &clock, &post);
    writer.Submit({song, {}});
    // The song changes on the UI thread while the write runs: it gets its own copy.
    song.Track(0)->Events()[0].key = 61;
    writer.WriteNow({song, {}});
    EXPECT_TRUE(fs::exists(dir.File("recovery-x.mid")));
    writer.Submit({song, {}});
    writer.Discard();
    EXPECT_FALSE(fs::exists(dir.File("recovery-x.mid")));
    EXPECT_FALSE(fs::exists(dir.File("recovery-x.txt")));
  }
}

}  // namespace
}  // namespace zentory
