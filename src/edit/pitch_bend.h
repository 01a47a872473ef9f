// What the pitch-bend entry knows of a song that other commands read too.
#pragma once

#include <cstdint>

#include "song/midi_data.h"

namespace zentory {

// The sensitivity (semitones) a typed bend sets where the channel has none, and what a bend is
// read at then.
inline constexpr int kDefaultBendSensitivity = 2;
inline constexpr int kBendCentre = 8192;
// A bend of the full sensitivity, up or down, from the centre.
inline constexpr double kBendFullScale = 8191.5;

// The pitch-bend sensitivity (semitones) in force on CHANNEL at TICK, 0 when none is set.
int SensitivityAt(const CMidi1Data& song, int channel, std::int64_t tick);

}  // namespace zentory
