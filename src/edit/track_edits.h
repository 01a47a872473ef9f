// Whole-track edits shared by the range, paste and channel commands. Each is one pass (or a few)
// over the track, so they stay quick on tracks of a hundred thousand events.
#pragma once

#include <cstdint>

#include "song/midi_track.h"

namespace zentory {

// Moves the events of channel FROM to channel TO (0..15). After an instrument-name event naming
// port B, channels are counted 16 up for the rest of the track. GS part messages (rhythm part,
// EQ switch) of FROM are readdressed, their checksum recomputed.
void RemapChannel(CMidiTrack& track, int from, int to);

// Removes repeated program changes and bank selects (per channel): one equal to the last one in
// force, several between two notes (the first takes the last one's value), and those after the
// last note. A track without notes is left as it is.
void TidyProgramChanges(CMidiTrack& track);

// Merges PASTE (note form, already on the track's channel and at its place) into TRACK and
// removes the notes that collide with it: among the pasted notes and the track's notes they
// overlap (same key and channel), a note starting while another sounds is dropped, a pasted
// note winning over one of the track's at the same tick. Notes that overlap no pasted note stay
// untouched, re-struck notes of the track included.
void MergePaste(CMidiTrack& track, CMidiTrack paste);

}  // namespace zentory
