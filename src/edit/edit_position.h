// The edit position: track, tick, the song end and the time signatures that turn a tick into
// bar, beat and tick-within-beat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zentory {

// NUMERATOR units of 2^DENOMINATORPOWER-th notes, in force from STARTTICK.
struct TimeSignature {
  int numerator;
  int denominatorPower;  // 2 = quarter, 3 = eighth, 1 = half
  std::int64_t startTick;
};

inline constexpr std::size_t kMaxTimeSignatures = 512;

class CEditPosition {
 public:
  int resolution = 480;  // ticks per quarter note
  int track = 1;         // edit target, 0 = master track
  std::int64_t tick = 0;
  std::int64_t endTick = 1920;
  int eventIndex = -1;  // current event of the track, -1 = a bare tick
  std::vector<TimeSignature> timeSignatures{{4, 2, 0}};  // at most kMaxTimeSignatures, by tick
};

// All counted from 0.
struct BarBeatTick {
  std::int64_t bar;
  std::int64_t beat;  // in quarter notes, or in half or whole notes under such a signature
  std::int64_t tick;  // from the start of the current unit
};

// The split of TICK into bar, beat and tick within the unit. A signature takes effect at the
// first unit boundary at or after its start tick, one signature per boundary, without restarting
// the bar in progress. Odd signatures from files are tamed (see edit_position.cpp); the split
// never divides by zero, never loops, and costs one step per signature however far TICK is.
BarBeatTick SplitTick(const CEditPosition& pos, std::int64_t tick);

// True when TICK starts a unit of its signature (a beat, or an eighth in an eighth-note
// signature).
bool IsOnBeatBoundary(const CEditPosition& pos, std::int64_t tick);
// The first tick of the bar that holds TICK, and the first tick of the bar after it: bar lines
// exactly as the split words them, so moving by bars and reading the position agree.
std::int64_t BarStart(const CEditPosition& pos, std::int64_t tick);
std::int64_t NextBarStart(const CEditPosition& pos, std::int64_t tick);

// The resolution the wording uses: the position's own, or 480 when it is below 1.
int EffectiveResolution(const CEditPosition& pos);

}  // namespace zentory
