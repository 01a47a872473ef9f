// Readings a musician follows by ear: notes by name and note value, keys by name, pans and bends
// in the values the user types. The user switches them on; off, the standard readings hold.
#pragma once

#include <optional>
#include <string>

#include "song/music_event.h"

namespace zentory {

struct MusicalContext {
  int resolution = 480;     // ticks per quarter note
  int gatePercent = 100;    // the Q in force, for gates entered with it
  int bendSensitivity = 0;  // semitones on the event's channel at its tick; 0: none set
};

// The note name and the octave MML entry uses (key 60 is "C5", 61 "C#5").
std::string NoteName(int key);
// The note value whose gate is GATE at Q 100 or at GATEPERCENT ("4分", "付点8分", "全");
// nothing when no note value gives it.
std::optional<std::string> NoteValueName(int gate, int resolution, int gatePercent);
// The controller value a typed pan of -100..100 stores: (pan * 127 + 12700) / 200, rounded up.
int PanControllerValue(int pan);
// The typed pan that stores controller VALUE; of several, the one farthest from 0.
int PanFromController(int value);
// The cents a typed pitch bend gives a stored 14-bit BEND at SENSITIVITY semitones (2 when 0).
int CentsFromBend(int bend, int sensitivity);
// EVENT as the musical reading says it.
std::string MusicalEventName(const CMusicEvent& event, const MusicalContext& context);

}  // namespace zentory
