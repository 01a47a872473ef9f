// Writing the editor's song as a Standard MIDI File: format 1, one chunk per track, the song's
// resolution as division, every channel event with its own status byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "song/midi_data.h"

namespace zentory {

// Appends one track chunk ("MTrk", length, events) for TRACK, which must be in raw form. The
// buffer grows with the track, so no event is ever cut off. A track without a final end-of-track
// gets one in the chunk.
void EncodeTrackChunk(const CMidiTrack& track, std::vector<std::uint8_t>& out);

// The whole file for SONG (state 1 or 2; tracks in note form are encoded from raw-form copies,
// the song itself is not touched). Empty (M1DT 03000003) in any other state.
std::vector<std::uint8_t> EncodeSong(const CMidi1Data& song);

// The two halves of SaveSong, for a caller that tells the user the file is written before the
// song is rebuilt from it: WriteSong writes the file and keeps the bytes in WRITTEN (false after
// the report when it could not), ReadBackSong replaces the song's tracks by those read back.
bool WriteSong(const CMidi1Data& song, const std::string& path, std::vector<std::uint8_t>& written);
void ReadBackSong(CMidi1Data& song, const std::vector<std::uint8_t>& written);

// Saves SONG to PATH. The file is written to a temporary name and renamed into place; only when
// that succeeded are the song's tracks replaced by the tracks read back from the bytes written
// (in the song's form), so the song in memory is what the file holds. On failure the song stays
// as it was, the previous file stays intact, and false is returned after the report.
bool SaveSong(CMidi1Data& song, const std::string& path);

}  // namespace zentory
