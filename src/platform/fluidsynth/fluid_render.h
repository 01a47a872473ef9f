// Offline rendering: a play through the playback engine into the embedded synth in virtual time,
// as fast as the machine renders. The audio export of a song, and the deterministic check of the
// whole timing path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "song/midi_data.h"

namespace zentory {

// Plays DATA (note form, as the play command hands it over: leading bars skipped) and renders it
// with two seconds of tail as interleaved 16-bit stereo at RATE into *PCM. False with *ERROR when
// the synth cannot start.
bool RenderPlay(const CMidi0Data& data, int rate, const std::string& soundFont,
                std::vector<std::int16_t>* pcm, std::string* error);

}  // namespace zentory
