#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "edit/edit_position.h"
#include "edit/position_wording.h"

namespace zentory {
namespace {

CEditPosition WithSignatures(std::vector<TimeSignature> list) {
  CEditPosition pos;
  pos.timeSignatures = std::move(list);
  return pos;
}

// The unit-by-unit walk the split is defined by, for well-formed signatures (numerator >= 1,
// power >= 2, units of at least one tick). A bar whose counter already passed a shorter
// signature's count ends at the next boundary.
BarBeatTick WalkReference(const CEditPosition& pos, std::int64_t p) {
  if (p < 0) return {0, 0, 0};
  const std::int64_t r = pos.resolution;
  std::int64_t c = 4, a = 1, d = r, i = 0, b = 0, bar = 0;
  std::size_t j = 0;
  for (;;) {
    if (i >= c) {
      ++bar;
      i = 0;
    }
    if (j < pos.timeSignatures.size() && b >= pos.timeSignatures[j].startTick) {
      a = (std::int64_t{1} << pos.timeSignatures[j].denominatorPower) / 4;
      c = pos.timeSignatures[j].numerator;
      d = r / a;
      ++j;
    }
    std::int64_t e = b + d;
    if (p < e) return {bar, i / a, p - b};
    ++i;
    if (p == e) {
      if (i >= c) return {bar + 1, 0, 0};
      return {bar, i / a, 0};
    }
    b = e;
  }
}

void ExpectSplit(const CEditPosition& pos, std::int64_t tick, BarBeatTick want) {
  BarBeatTick got = SplitTick(pos, tick);
  EXPECT_EQ(got.bar, want.bar) << "tick " << tick;
  EXPECT_EQ(got.beat, want.beat) << "tick " << tick;
  EXPECT_EQ(got.tick, want.tick) << "tick " << tick;
}

TEST(SplitTick, FourFourBarLinesAndWordings) {
  CEditPosition pos;
  ExpectSplit(pos, 0, {0, 0, 0});
  ExpectSplit(pos, 1919, {0, 3, 479});
  ExpectSplit(pos, 1920, {1, 0, 0});  // a bar line opens the new bar

  pos.tick = 1920 + 360;
  EXPECT_EQ(FormatPosition(pos, 0, 0), "小節[2] 拍[1] 節[4]");
  EXPECT_EQ(FormatPosition(pos, 1, 0), "小節[2] 拍[1] チック[360]");
  EXPECT_EQ(FormatPosition(pos, 0, 1), "2 1 4");
  EXPECT_EQ(FormatPosition(pos, 1, 1), "2 1 360");
  EXPECT_EQ(StatusPositionText(pos), "小節[2] 拍[1] チック[360]");

  pos.tick = 0;
  EXPECT_EQ(FormatPosition(pos, 0, 0), "小節[1] 拍[1] 節[1]");
  EXPECT_EQ(FormatPosition(pos, 1, 0), "小節[1] 拍[1] チック[000]");
  EXPECT_EQ(FormatPosition(pos, 0, 1), "1 1 1");
  EXPECT_EQ(FormatPosition(pos, 1, 1), "1 1 0");

  pos.track = 12;
  EXPECT_EQ(StatusTrackText(pos), "トラック[12]");
}

TEST(SplitTick, SignatureChanges) {
  CEditPosition threeFour = WithSignatures({{4, 2, 0}, {3, 2, 1920}});
  ExpectSplit(threeFour, 1920 + 3 * 480, {2, 0, 0});

  // Eighth-note units: the beat counts quarter notes, the tick counts within the eighth.
  CEditPosition sixEight = WithSignatures({{6, 3, 0}});
  ExpectSplit(sixEight, 240 + 100, {0, 0, 100});
  ExpectSplit(sixEight, 480 + 100, {0, 1, 100});
  ExpectSplit(sixEight, 1440, {1, 0, 0});

  // Starting inside a unit, a signature waits for the next unit boundary (1440) and lengthens
  // the bar in progress rather than restarting it.
  CEditPosition inside = WithSignatures({{4, 2, 0}, {5, 2, 1000}});
  ExpectSplit(inside, 1920, {0, 4, 0});
  ExpectSplit(inside, 2400, {1, 0, 0});

  // A shorter signature arriving after its bar length has passed closes the bar at the next
  // boundary instead of never closing it.
  CEditPosition shorter = WithSignatures({{4, 2, 0}, {2, 2, 1440}});
  ExpectSplit(shorter, 1440, {0, 3, 0});
  ExpectSplit(shorter, 1920, {1, 0, 0});
  ExpectSplit(shorter, 1920 + 960, {2, 0, 0});
}

TEST(SplitTick, MatchesTheUnitWalk) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 300; ++round) {
    std::vector<TimeSignature> list;
    std::int64_t start = 0;
    int n = static_cast<int>(rng() % 5);
    for (int k = 0; k < n; ++k) {
      // Mostly ordered, sometimes repeated or mid-bar starts.
      start += static_cast<std::int64_t>(rng() % 3000);
      list.push_back({static_cast<int>(1 + rng() % 7), static_cast<int>(2 + rng() % 4), start});
    }
    CEditPosition pos = WithSignatures(list);
    pos.resolution = round % 3 == 0 ? 96 : 480;
    for (int probe = 0; probe < 40; ++probe) {
      std::int64_t tick = static_cast<std::int64_t>(rng() % 16000);
      BarBeatTick want = WalkReference(pos, tick);
      BarBeatTick got = SplitTick(pos, tick);
      ASSERT_TRUE(got.bar == want.bar && got.beat == want.beat && got.tick == want.tick)
          << "round " << round << " tick " << tick << " got " << got.bar << "/" << got.beat << "/"
          << got.tick << " want " << want.bar << "/" << want.beat << "/" << want.tick;
    }
  }
}

TEST(SplitTick, OddSignaturesFromFilesNeverHang) {
  // Absurd and too-fine denominators are worded in quarter notes.
  for (int power : {-3, 40, 200, 255}) {
    CEditPosition pos = WithSignatures({{3, power, 0}});
    ExpectSplit(pos, 3 * 480 + 10, {1, 0, 10});
  }
  CEditPosition fine = WithSignatures({{4, 12, 0}});  // 1/4096 notes: R / a == 0 at 480
  ExpectSplit(fine, 1920, {1, 0, 0});

  // A numerator of 0 or below counts as four.
  for (int numerator : {0, -7}) {
    CEditPosition pos = WithSignatures({{numerator, 2, 0}});
    ExpectSplit(pos, 1920, {1, 0, 0});
  }

  // No resolution: the wording falls back to 480 rather than dividing by zero.
  CEditPosition noResolution;
  noResolution.resolution = 0;
  noResolution.tick = 1920;
  EXPECT_EQ(FormatPosition(noResolution, 0, 0), "小節[2] 拍[1] 節[1]");
  noResolution.resolution = 2;  // no sixteenth grid
  EXPECT_EQ(FormatPosition(noResolution, 0, 0), "小節[241] 拍[1] 節[1]");

  // Signatures starting at or past the end of the representable ticks are never reached.
  CEditPosition farStart = WithSignatures({{4, 2, 0}, {3, 2, INT64_MAX}, {3, 2, INT64_MAX}});
  ExpectSplit(farStart, 1920, {1, 0, 0});
}

TEST(SplitTick, HalfAndWholeNoteSignaturesCountTheirOwnBeats) {
  // Cut time: a bar of two 960-tick beats, the sixteenth counted through the half note.
  CEditPosition cut = WithSignatures({{2, 1, 0}});
  ExpectSplit(cut, 960 + 250, {0, 1, 250});
  ExpectSplit(cut, 1920, {1, 0, 0});
  cut.tick = 960 + 480;
  EXPECT_EQ(FormatPosition(cut, 0, 0), "小節[1] 拍[2] 節[5]");
  ExpectSplit(WithSignatures({{3, 1, 0}}), 2880, {1, 0, 0});
  ExpectSplit(WithSignatures({{1, 0, 0}}), 1920 + 5, {1, 0, 5});
}

TEST(BarLines, NavigationFindsTheBarLinesTheWordingUses) {
  // Four-four, then 5/8 from bar 2, then 3/2 from the start of bar 4, then 7/16 mid-bar.
  CEditPosition pos = WithSignatures({{4, 2, 0}, {5, 3, 1920}, {3, 1, 1920 + 2 * 1200},
                                      {7, 4, 1920 + 2 * 1200 + 2880 + 960}});
  std::int64_t tick = 0;
  for (int bar = 0; bar < 9; ++bar) {
    ASSERT_EQ(SplitTick(pos, tick).bar, bar) << "tick " << tick;
    ASSERT_EQ(SplitTick(pos, tick).beat, 0);
    ASSERT_EQ(BarStart(pos, tick), tick);
    ASSERT_EQ(BarStart(pos, tick + 1), tick);
    const std::int64_t next = NextBarStart(pos, tick);
    ASSERT_GT(next, tick);
    ASSERT_EQ(SplitTick(pos, next - 1).bar, bar);
    ASSERT_EQ(NextBarStart(pos, next - 1), next);
    tick = next;
  }
  EXPECT_TRUE(IsOnBeatBoundary(pos, 1920 + 240));   // an eighth of 5/8
  EXPECT_FALSE(IsOnBeatBoundary(pos, 1920 + 250));
}

TEST(SplitTick, FarTicksAreInstant) {
  std::vector<TimeSignature> list;
  for (std::size_t k = 0; k < kMaxTimeSignatures; ++k) {
    list.push_back({static_cast<int>(2 + k % 5), 2, static_cast<std::int64_t>(k) * 1920});
  }
  CEditPosition pos = WithSignatures(list);
  auto begin = std::chrono::steady_clock::now();
  BarBeatTick far = SplitTick(pos, INT64_MAX);
  BarBeatTick near = SplitTick(pos, INT64_MAX - 1);
  auto elapsed = std::chrono::steady_clock::now() - begin;
  EXPECT_LT(elapsed, std::chrono::milliseconds(100));
  EXPECT_GT(far.bar, 0);
  EXPECT_EQ(far.tick, (near.tick + 1) % 480);
}

}  // namespace
}  // namespace zentory
