// Notes as files give them: a note-on that no note-off ends is kept, ending where the next note of
// its channel and key begins, or at the end of its track. Both ways of reading a chunk into note
// form (in one pass, or raw form then ToNoteForm) end such notes here, so they agree.
#pragma once

#include <cstdint>
#include <limits>
#include <span>

#include "song/music_event.h"

namespace zentory {

// The length a note event carries while pairing has found no note-off for it.
inline constexpr std::int32_t kOpenNoteLength = std::numeric_limits<std::int32_t>::min();

// Gives every note event (ev::kNote) of EVENTS whose length is kOpenNoteLength the time up to the
// next note event of its channel and key, or up to ENDTIME (the absolute time of the track's
// end) when none follows. Absolute times are the running sums of the deltas.
void EndOpenNotes(std::span<CMusicEvent> events, std::int64_t endTime);

}  // namespace zentory
