#include "edit/edit_position.h"

#include <algorithm>
#include <limits>

namespace zentory {

namespace {

constexpr int kDefaultResolution = 480;
constexpr std::int64_t kNoTick = std::numeric_limits<std::int64_t>::max();

// One stretch of the time axis where the units keep their length. Units are counted through the
// bar: a bar is complete when its unit counter reaches its unit count.
struct Stretch {
  std::int64_t start;       // a unit boundary
  std::int64_t bar;         // bars complete at START
  std::int64_t unit;        // unit counter at START (may exceed COUNT after a shorter signature)
  std::int64_t count;       // units per bar
  std::int64_t perQuarter;  // units per beat: per quarter note for short units, 1 for long ones
  std::int64_t length;      // ticks per unit, at least 1
};

// Bar and unit counter after U whole units of S.
void Advance(const Stretch& s, std::int64_t u, std::int64_t& bar, std::int64_t& unit) {
  if (u == 0) {
    bar = s.bar;
    unit = s.unit;
    return;
  }
  // A bar left longer than the new signature allows ends at the next boundary.
  std::int64_t first = s.unit + 1 >= s.count ? 1 : s.count - s.unit;
  if (u < first) {
    bar = s.bar;
    unit = s.unit + u;
  } else {
    bar = s.bar + 1 + (u - first) / s.count;
    unit = (u - first) % s.count;
  }
}

// Units of a signature. Signatures come from files, so any byte may arrive: a numerator of 0 or
// less is taken as 4 (as the file reader does for 0). The unit is the denominator's note; whole
// and half notes are one beat each (a 2/2 bar is two beats of two quarter notes), shorter notes
// are counted in quarter-note beats. A power too large to compute, a negative one, or a unit
// shorter than one tick is worded in quarter notes.
void ApplySignature(const TimeSignature& ts, std::int64_t resolution, Stretch& s) {
  s.count = ts.numerator > 0 ? ts.numerator : 4;
  s.perQuarter = 1;
  s.length = resolution;
  if (ts.denominatorPower == 0 || ts.denominatorPower == 1) {
    s.length = resolution * (std::int64_t{4} >> ts.denominatorPower);
  } else if (ts.denominatorPower > 2 && ts.denominatorPower - 2 < 62) {
    std::int64_t perQuarter = std::int64_t{1} << (ts.denominatorPower - 2);
    if (resolution / perQuarter > 0) {
      s.perQuarter = perQuarter;
      s.length = resolution / perQuarter;
    }
  }
}

// The first boundary of S at or after TICK, at least MINUNITS units after its start; kNoTick when
// it lies beyond the representable ticks.
std::int64_t BoundaryAtOrAfter(const Stretch& s, std::int64_t tick, std::int64_t minUnits) {
  std::int64_t units = 0;
  if (tick > s.start) {
    std::int64_t diff = tick - s.start;
    units = diff / s.length + (diff % s.length != 0 ? 1 : 0);
  }
  units = std::max(units, minUnits);
  if (units > (kNoTick - s.start) / s.length) return kNoTick;
  return s.start + units * s.length;
}

}  // namespace

int EffectiveResolution(const CEditPosition& pos) {
  return pos.resolution >= 1 ? pos.resolution : kDefaultResolution;
}

BarBeatTick SplitTick(const CEditPosition& pos, std::int64_t tick) {
  if (tick <= 0) return {0, 0, 0};
  const std::int64_t resolution = EffectiveResolution(pos);
  // Four-four until the first signature takes effect.
  Stretch s{0, 0, 0, 4, 1, resolution};
  // A signature takes effect at the first unit boundary at or after its start tick; the
  // boundary where the previous one took effect is spent, so the next comes one unit later at
  // the earliest. The very first one may take effect at tick 0.
  std::int64_t minUnits = 0;
  for (const TimeSignature& ts : pos.timeSignatures) {
    std::int64_t at = BoundaryAtOrAfter(s, ts.startTick, minUnits);
    // A tick on the boundary itself is still worded by the stretch that ends there.
    if (at == kNoTick || tick <= at) break;
    std::int64_t bar = 0;
    std::int64_t unit = 0;
    Advance(s, (at - s.start) / s.length, bar, unit);
    s.start = at;
    s.bar = bar;
    s.unit = unit;
    ApplySignature(ts, resolution, s);
    minUnits = 1;
  }
  std::int64_t offset = tick - s.start;
  std::int64_t bar = 0;
  std::int64_t unit = 0;
  Advance(s, offset / s.length, bar, unit);
  return {bar, unit / s.perQuarter, offset % s.length};
}

bool IsOnBeatBoundary(const CEditPosition& pos, std::int64_t tick) {
  return SplitTick(pos, tick).tick == 0;
}

std::int64_t BarStart(const CEditPosition& pos, std::int64_t tick) {
  if (tick <= 0) return 0;
  const std::int64_t bar = SplitTick(pos, tick).bar;
  // The bar number only grows with the tick: the first tick of this bar is found by halving.
  std::int64_t lo = 0, hi = tick;
  while (lo < hi) {
    std::int64_t mid = lo + (hi - lo) / 2;
    if (SplitTick(pos, mid).bar < bar) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

std::int64_t NextBarStart(const CEditPosition& pos, std::int64_t tick) {
  tick = std::max<std::int64_t>(tick, 0);
  const std::int64_t bar = SplitTick(pos, tick).bar;
  // Widen the search until it reaches the next bar, then halve back to its first tick.
  std::int64_t lo = tick, span = EffectiveResolution(pos);
  std::int64_t hi = tick + span;
  while (SplitTick(pos, hi).bar <= bar) {
    if (hi > kNoTick / 4) return kNoTick;
    lo = hi;
    span *= 2;
    hi = tick + span;
  }
  while (lo + 1 < hi) {
    std::int64_t mid = lo + (hi - lo) / 2;
    if (SplitTick(pos, mid).bar <= bar) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return hi;
}

}  // namespace zentory
