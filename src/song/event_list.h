// One-pass removal of events from a track's list, shared by Compact and the conversions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "song/music_event.h"
#include "song/song_errors.h"

namespace zentory::detail {

// Removes every event with status 0 or for which REMOVE(event) holds, passing each removed
// event's delta on to the event after it (a negative sum reports MDTK 0D000001 and becomes 0).
// KEPT(event, newIndex) sees every remaining event once its delta is final.
template <class Remove, class Kept>
void CompactWhere(std::vector<CMusicEvent>& events, Remove remove, Kept kept) {
  std::size_t out = 0;
  std::int64_t carry = 0;
  bool carrying = false;
  for (std::size_t i = 0; i < events.size(); ++i) {
    CMusicEvent& e = events[i];
    if (carrying) {
      std::int64_t sum = carry + e.delta;
      if (sum < 0) {
        MdtkError(mdtk::kInternal);
        sum = 0;  // a negative delta would put the rest of the track before its past
      }
      e.delta = static_cast<std::int32_t>(
          std::min<std::int64_t>(sum, std::numeric_limits<std::int32_t>::max()));
      carrying = false;
    }
    if (e.status == ev::kDeleted || remove(e)) {
      carry = e.delta;
      carrying = true;
      continue;
    }
    if (out != i) events[out] = std::move(e);
    kept(events[out], out);
    ++out;
  }
  events.resize(out);
}

// A delta from a difference of absolute times: a negative one reports MDTK 0D000019 and becomes
// 0, one beyond 32 bits is cut to the largest.
inline std::int32_t ToDelta(std::int64_t d) {
  if (d < 0) {
    MdtkError(mdtk::kBadPlayData);
    return 0;
  }
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(d, std::numeric_limits<std::int32_t>::max()));
}

template <class Remove>
void CompactWhere(std::vector<CMusicEvent>& events, Remove remove) {
  CompactWhere(events, remove, [](const CMusicEvent&, std::size_t) {});
}

}  // namespace zentory::detail
