// zentory-smf render IN OUT: plays IN through the playback engine into the embedded synth in
// virtual time, as fast as the machine renders, and writes OUT as 16-bit stereo 44.1 kHz WAVE.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentory {

inline constexpr int kRenderRate = 44100;

// Renders the song of file IN (loaded and merged as the editor plays it); interleaved 16-bit
// stereo in *PCM. Returns false (after a line on standard error) when the file or the synth
// cannot be had.
bool RenderSongFile(const std::string& in, std::vector<std::int16_t>* pcm,
                    const std::string& soundFont = {});
// The bytes of a 16-bit stereo WAVE file at RATE holding PCM.
std::vector<std::uint8_t> MakeWaveFile(const std::vector<std::int16_t>& pcm, int rate);
// The whole command; its exit code.
int RenderSmf(const std::string& in, const std::string& out);

}  // namespace zentory
