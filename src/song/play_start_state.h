// A play from a point inside a song starts from the state the song is in there: the messages
// that set it up are sent once each, not every change the song made on its way there.
#pragma once

#include <cstdint>

#include "song/midi_track.h"

namespace zentory {

// Replaces the events of TRACK (note form, one track holding the whole song) that lie before
// FROM by the state they leave in force, all at tick 0, in this order: the system exclusive
// messages in their order; the last tempo and time signature; then per channel the last bank
// select (MSB, then LSB) and program, the last value of each other controller except the
// channel-mode ones (120-127) and the parameter controllers, every RPN and NRPN parameter set
// (its selection, then its last data entry), the parameter selection in force, and the last
// pitch bend. The events from FROM on keep their times; notes before FROM are dropped.
void ReduceToStateAt(CMidiTrack& track, std::int64_t from);

}  // namespace zentory
