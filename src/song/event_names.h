// The spoken names of events and instruments (UTF-8).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "song/music_event.h"

namespace zentory {

// The name of EVENT for speech, with numbers in decimal; text meta events append their text,
// decoded from CP932.
std::string GetEventName(const CMusicEvent& event);

// True when controller TYPE has a name of its own (else it reads as undefined).
bool IsNamedController(std::uint32_t type);

// The 128 instrument names by program number 0-127 (the user's program number is index + 1).
extern const std::array<const char*, 128> InstrumentNames;
// InstrumentNames[program], or "" for a program outside 0-127.
const char* InstrumentName(std::int32_t program);

}  // namespace zentory
