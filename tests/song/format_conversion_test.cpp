#include "song/format_conversion.h"

#include <gtest/gtest.h>

#include "base/error_report.h"
#include "platform/fakes/fakes.h"

namespace zentory {
namespace {

CMusicEvent Program(std::int32_t delta, std::int32_t channel, std::int32_t program) {
  CMusicEvent e(delta);
  e.status = ev::kProgramChange;
  e.channel = channel;
  e.value = program;
  return e;
}

std::unique_ptr<CMidiTrack> NoteTrack(std::initializer_list<CMusicEvent> events) {
  auto t = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  for (const CMusicEvent& e : events) t->Events().push_back(e);
  return t;
}

class FormatConversionTest : public ::testing::Test {
 protected:
  FakeMessageBox box_;
  ScopedMessageBoxTarget scope_{&box_};
};

TEST_F(FormatConversionTest, MergeGivesOneEventPerTrackPerPassAtEqualTicks) {
  auto master =
      NoteTrack({MakeTempoEvent(0, 500000), MakeTempoEvent(0, 400000), MakeEndOfTrack(100)});
  auto one = NoteTrack({Program(0, 0, 5), Program(0, 0, 6), Program(50, 0, 7), MakeEndOfTrack(10)});
  auto two = NoteTrack({Program(0, 1, 9), MakeEndOfTrack(200)});
  const CMidiTrack* tracks[] = {master.get(), one.get(), two.get()};
  CMidiTrack target;
  ASSERT_TRUE(MergeTracks(tracks, target));
  std::vector<std::pair<std::int64_t, std::int32_t>> got;  // (tick, value)
  std::int64_t tick = 0;
  for (const CMusicEvent& e : target.Events()) {
    tick += e.delta;
    got.emplace_back(tick, e.IsEndOfTrack() ? -1 : e.value);
  }
  // Tick 0: pass 1 = master, one, two; pass 2 = master, one. The tempo comes first.
  const std::vector<std::pair<std::int64_t, std::int32_t>> want = {
      {0, 500000}, {0, 5}, {0, 9}, {0, 400000}, {0, 6}, {50, 7}, {200, -1}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(one->EventCount(), 4);  // sources stay as they were

  CMidiTrack untouched;
  untouched.Events().push_back(MakeEndOfTrack(3));
  EXPECT_FALSE(MergeTracks({}, untouched));
  EXPECT_EQ(untouched.EventCount(), 1);
  EXPECT_EQ(box_.Boxes(),
            (std::vector<std::string>{"MDTK0D000026 トラックに異常が発生しました。"}));
}

TEST_F(FormatConversionTest, MeasureLength) {
  CMidi0Data data;
  data.state = song_state::kNoteForm;
  data.resolution = 96;
  EXPECT_EQ(MeasureLength(data), 384);  // no time signature
  data.Track().Events().push_back(MakeEndOfTrack(0));
  CMusicEvent sig(0);
  sig.status = ev::kMeta;
  sig.type = ev::kMetaTimeSignature;
  sig.value = 4 * 256 + 4;
  data.Track().Events().insert(data.Track().Events().begin(), sig);
  EXPECT_EQ(MeasureLength(data), 384);
  data.resolution = 480;
  data.timeSignatureOverride = 6 * 256 + 8;
  EXPECT_EQ(MeasureLength(data), 1440);
  data.timeSignatureOverride = 3 * 256;  // a denominator of 0 would divide by zero
  EXPECT_EQ(MeasureLength(data), 384);
  data.state = song_state::kBytes;
  EXPECT_EQ(MeasureLength(data), 384);
  EXPECT_EQ(box_.Boxes(),
            (std::vector<std::string>{
                "M0DT04000005 Midiのフォーマット0のデータで内部エラーが発生しました。"}));
}

}  // namespace
}  // namespace zentory
