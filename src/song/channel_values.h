// The values in effect on a channel at a tick (program, volume, pan), looked up in a song whose
// tracks are bound to channels by a table: what the editor sends when a track is chosen, and
// what an audition starts from.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "song/midi_data.h"

namespace zentory {

inline constexpr int kChannelTableSize = 256;
inline constexpr int kMasterChannel = 255;
// The MIDI channel (0..15, kMasterChannel for none) of each track, by track index.
using ChannelTable = std::array<int, kChannelTableSize>;

// The value of the last event accepted by MATCH at or before TICK, on CHANNEL, in the first
// track that CHANNELTABLE puts on CHANNEL and that holds such an event; nothing when none does.
std::optional<int> ValueInEffect(const CMidi1Data& song, const ChannelTable& channelTable,
                                 int channel, std::int64_t tick,
                                 const std::function<bool(const CMusicEvent&)>& match);
// The program in effect on CHANNEL at TICK (0 when none is set).
int ProgramInEffect(const CMidi1Data& song, const ChannelTable& channelTable, int channel,
                    std::int64_t tick);
// The value of control change CONTROLLER in effect on CHANNEL at TICK, if any.
std::optional<int> ControllerInEffect(const CMidi1Data& song, const ChannelTable& channelTable,
                                      int channel, int controller, std::int64_t tick);

}  // namespace zentory
