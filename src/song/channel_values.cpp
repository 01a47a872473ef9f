#include "song/channel_values.h"

#include <algorithm>

namespace zentory {

std::optional<int> ValueInEffect(const CMidi1Data& song, const ChannelTable& channelTable,
                                 int channel, std::int64_t tick,
                                 const std::function<bool(const CMusicEvent&)>& match) {
  const int count = std::min<int>(song.TrackCount(), kChannelTableSize);
  for (int i = 0; i < count; ++i) {
    if (channelTable[static_cast<std::size_t>(i)] != channel) continue;
    const CMidiTrack* track = song.Track(i);
    if (!track) continue;
    std::optional<int> found;
    std::int64_t t = 0;
    for (const CMusicEvent& e : track->Events()) {
      t += e.delta;
      if (t > tick) break;
      if (e.channel == channel && match(e)) found = e.value;
    }
    if (found) return found;
  }
  return std::nullopt;
}

int ProgramInEffect(const CMidi1Data& song, const ChannelTable& channelTable, int channel,
                    std::int64_t tick) {
  return ValueInEffect(song, channelTable, channel, tick,
                       [](const CMusicEvent& e) { return e.status == ev::kProgramChange; })
      .value_or(0);
}

std::optional<int> ControllerInEffect(const CMidi1Data& song, const ChannelTable& channelTable,
                                      int channel, int controller, std::int64_t tick) {
  return ValueInEffect(song, channelTable, channel, tick, [controller](const CMusicEvent& e) {
    return e.status == ev::kControlChange && e.type == static_cast<std::uint32_t>(controller);
  });
}

}  // namespace zentory
