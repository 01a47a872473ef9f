// How the edit position is spoken and shown.
#pragma once

#include <cstdint>
#include <string>

#include "edit/edit_position.h"

namespace zentory {

// The spoken position of POS.tick. POSITIONUNIT 1 names the tick within the beat, any other value
// the sixteenth note; ABBREVIATEDREADING 1 gives the three numbers alone, any other value labels
// them.
std::string FormatPosition(const CEditPosition& pos, int positionUnit, int abbreviatedReading);
// The same wording for an arbitrary TICK.
std::string FormatPositionAt(const CEditPosition& pos, std::int64_t tick, int positionUnit,
                             int abbreviatedReading);

// The two status fields: the position always by ticks ("小節[%d] 拍[%d] チック[%03d]") and
// the edit-target track ("トラック[%d]", 0 = master track).
std::string StatusPositionText(const CEditPosition& pos);
std::string StatusTrackText(const CEditPosition& pos);

}  // namespace zentory
