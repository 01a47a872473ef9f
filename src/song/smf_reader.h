// Reading Standard MIDI Files into the song model: the format-1 path (a song of tracks), the
// format-0 path (one track), the track chunk reader they share, and the fix-ups after reading.
// Faults are reported through the song layer's modules (M1DT, M0DT, MDTK) and reading goes on as
// far as it can; nothing is thrown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "song/midi_data.h"

namespace zentory {

// The MThd header's track count beyond which only kFallbackTrackCount tracks are read.
inline constexpr std::int32_t kMaxFileTracks = 63;
inline constexpr std::int32_t kFallbackTrackCount = 32;
// A division word of 0 would divide by zero; it is read as this many ticks per quarter note.
inline constexpr std::int32_t kDefaultDivision = 480;
// Room a loaded song gets beyond the file's own size.
inline constexpr std::int32_t kLoadSlack = 0x60000;

struct ChunkReadOptions {
  // Ticks per quarter note of the file: bounds the absolute time a track may reach.
  std::int32_t division = kDefaultDivision;
  // The 131,072-event limit of a track read from a user's file; the read-back after saving
  // takes every event it wrote.
  bool limitEvents = true;
  // Leaves the absolute time unbounded (read-back of bytes the writer made).
  bool unboundedTime = false;
  // Shows nothing for a refused chunk (the caller already reported the same refusal).
  bool quietRefusal = false;
  // Leaves the track in note form (each note-on paired with the first following note-off of its
  // channel and key that no earlier note took), as ToNoteForm would, in the same pass.
  bool noteForm = false;
  // Shows no track report at all: the read-back of bytes the writer has just made and reported.
  bool quiet = false;
};

// Reads the track chunk at CURSOR of IMAGE into TRACK, which is cleared and left in raw form (or
// note form, see ChunkReadOptions).
// Returns the bytes the chunk takes (head included), or 0 when it is refused: an identifier other
// than "MTrk", "XFKM" or "XFIH" (MDTK 0D000007), or a length reaching past the image
// (MDTK 0D000001); the track then stays empty.
std::size_t ReadTrackChunk(std::span<const std::uint8_t> image, std::size_t cursor,
                           CMidiTrack& track, const ChunkReadOptions& options);

// Format-1 path. The song gets capacity image size + 0x60000. Returns it in state 2 with its
// tracks in note form, or in state 0 without tracks when the header is refused (M1DT 03000004 no
// "MThd", 03000002 not format 1, 03000001 no track). A MacBinary prefix is skipped. A
// TARGETRESOLUTION above 0 rescales every track to it as it is read (the load sequence's 480).
std::unique_ptr<CMidi1Data> ReadFormat1(std::vector<std::uint8_t> image,
                                        std::int32_t targetResolution = 0);

// Format-0 path: one track in note form (state 2) at the file's division. A header that is not a
// one-track format-0 header falls back to the format-1 path and a merge of its tracks; when that
// is refused too the result is in state 0.
std::unique_ptr<CMidi0Data> ReadFormat0(std::vector<std::uint8_t> image);

// Reads every chunk of bytes the writer made (a format-1 image) back into TRACKS in raw form, or
// in note form with NOTEFORM, without the event limit and without reports. Returns false when the
// image holds fewer chunks than COUNT.
bool ReadBackTracks(std::span<const std::uint8_t> image, std::int32_t count,
                    std::int32_t resolution, std::int32_t capacity, bool noteForm,
                    std::vector<std::unique_ptr<CMidiTrack>>& tracks);

// A song without a master-volume message gets one (volume 127) as the first event of its first
// track with a channel, or of track 0; several are reported (MDTK 0D000011 within a track,
// M1DT 03000006 for each further track holding one).
void FixMasterVolume(CMidi1Data& song);

}  // namespace zentory
