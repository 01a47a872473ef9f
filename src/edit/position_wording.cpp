#include "edit/position_wording.h"

#include <algorithm>
#include <cstdio>

namespace zentory {

namespace {

// Every wording of the position, exactly as spoken and shown.
constexpr const char* kFullSixteenths = "小節[%lld] 拍[%lld] 節[%lld]";
constexpr const char* kFullTicks = "小節[%lld] 拍[%lld] チック[%03lld]";
constexpr const char* kAbbreviated = "%lld %lld %lld";
constexpr const char* kTrackPattern = "トラック[%d]";

constexpr int kTicksUnit = 1;
constexpr int kAbbreviatedOn = 1;

std::string Format3(const char* pattern, std::int64_t a, std::int64_t b, std::int64_t c) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, pattern, static_cast<long long>(a),
                static_cast<long long>(b), static_cast<long long>(c));
  return buffer;
}

}  // namespace

std::string FormatPositionAt(const CEditPosition& pos, std::int64_t tick, int positionUnit,
                             int abbreviatedReading) {
  BarBeatTick split = SplitTick(pos, tick);
  std::int64_t third = split.tick;
  if (positionUnit != kTicksUnit) {
    // A resolution below 4 has no sixteenth grid; each tick then counts as one.
    std::int64_t sixteenth = std::max(1, EffectiveResolution(pos) / 4);
    third = split.tick / sixteenth + 1;
  }
  const char* pattern = abbreviatedReading == kAbbreviatedOn ? kAbbreviated
                        : positionUnit == kTicksUnit         ? kFullTicks
                                                             : kFullSixteenths;
  return Format3(pattern, split.bar + 1, split.beat + 1, third);
}

std::string FormatPosition(const CEditPosition& pos, int positionUnit, int abbreviatedReading) {
  return FormatPositionAt(pos, pos.tick, positionUnit, abbreviatedReading);
}

std::string StatusPositionText(const CEditPosition& pos) {
  BarBeatTick split = SplitTick(pos, pos.tick);
  return Format3(kFullTicks, split.bar + 1, split.beat + 1, split.tick);
}

std::string StatusTrackText(const CEditPosition& pos) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, kTrackPattern, pos.track);
  return buffer;
}

}  // namespace zentory
