#include "song/smf_notes.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace zentory {

void EndOpenNotes(std::span<CMusicEvent> events, std::int64_t endTime) {
  // From the back, the start of the next note of each channel and key is known when a note is
  // met. Only files with unended notes come here, so a map of the keys met is cheap enough.
  std::vector<std::int64_t> times(events.size());
  std::int64_t t = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    t += events[i].delta;
    times[i] = t;
  }
  std::unordered_map<std::uint64_t, std::int64_t> nextStart;
  for (std::size_t i = events.size(); i-- > 0;) {
    CMusicEvent& e = events[i];
    if (e.status != ev::kNote) continue;
    const std::uint64_t slot = static_cast<std::uint64_t>(static_cast<std::uint32_t>(e.channel))
                                   << 32 |
                               static_cast<std::uint32_t>(e.key);
    if (e.length == kOpenNoteLength) {
      const auto next = nextStart.find(slot);
      const std::int64_t end = next != nextStart.end() ? next->second : endTime;
      e.length = static_cast<std::int32_t>(
          std::clamp<std::int64_t>(end - times[i], 0, std::numeric_limits<std::int32_t>::max()));
    }
    nextStart[slot] = times[i];
  }
}

}  // namespace zentory
