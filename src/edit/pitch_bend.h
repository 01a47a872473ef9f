// What the pitch-bend entry knows of a song that other commands read too.
#pragma once

#include <cstdint>

#include "song/midi_data.h"

namespace zentory {

// The pitch-bend sensitivity (semitones) in force on CHANNEL at TICK, 0 when none is set.
int SensitivityAt(const CMidi1Data& song, int channel, std::int64_t tick);

}  // namespace zentory
