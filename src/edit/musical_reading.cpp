#include "edit/musical_reading.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "base/text_format.h"
#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "edit/pitch_bend.h"
#include "song/event_names.h"
#include "song/key_signatures.h"

namespace zentory {

namespace {

constexpr std::array<const char*, 12> kNoteNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                    "F#", "G",  "G#", "A",  "A#", "B"};
// The note values MML entry takes (3, 6, 12 and 24 are the triplets).
constexpr std::array<int, 10> kNoteValues = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32};
constexpr int kPanLimit = 100;
constexpr std::uint32_t kPanController = 10;
// A time signature's denominator is a power of two; beyond 1/256 the byte is not a note value.
constexpr int kMaxDenominatorPower = 8;

std::string ValueName(int value, bool dotted) {
  std::string s = dotted ? edit_texts::kDot : "";
  s += value == 1 ? std::string(edit_texts::kMusicalWhole)
                  : texts::FormatNumbers(edit_texts::kMusicalNoteValue, {value});
  return s;
}

std::optional<std::string> FindValue(int gate, int resolution, int percent) {
  for (bool dotted : {false, true}) {
    for (int value : kNoteValues) {
      const std::int64_t length = std::int64_t{resolution} * 4 / value;
      const std::int64_t full = dotted ? length * 3 / 2 : length;
      if (full * percent / 100 == gate) return ValueName(value, dotted);
    }
  }
  return std::nullopt;
}

}  // namespace

std::string NoteName(int key) {
  if (key < 0) return std::to_string(key);
  return std::string(kNoteNames[static_cast<std::size_t>(key % 12)]) + std::to_string(key / 12);
}

std::optional<std::string> NoteValueName(int gate, int resolution, int gatePercent) {
  if (gate <= 0 || resolution <= 0) return std::nullopt;
  if (auto name = FindValue(gate, resolution, 100)) return name;
  if (gatePercent > 0 && gatePercent != 100) return FindValue(gate, resolution, gatePercent);
  return std::nullopt;
}

int PanControllerValue(int pan) {
  const int f = pan * 127 + 12700;
  return f / 200 + (f % 200 != 0 ? 1 : 0);
}

int PanFromController(int value) {
  int best = 0;
  bool found = false;
  for (int pan = -kPanLimit; pan <= kPanLimit; ++pan) {
    if (PanControllerValue(pan) != value) continue;
    if (!found || std::abs(pan) > std::abs(best)) best = pan;
    found = true;
  }
  // Values beyond the typed range cannot come from a controller byte; the nearest end stands in.
  if (!found) return value < 64 ? -kPanLimit : kPanLimit;
  return best;
}

int CentsFromBend(int bend, int sensitivity) {
  if (sensitivity <= 0) sensitivity = kDefaultBendSensitivity;
  const double cents = (bend - kBendCentre) * 100.0 * sensitivity / kBendFullScale;
  return static_cast<int>(std::lround(cents));
}

std::string MusicalEventName(const CMusicEvent& e, const MusicalContext& context) {
  switch (e.status) {
    case ev::kNote: {
      auto value = NoteValueName(e.length, context.resolution, context.gatePercent);
      std::string length =
          value ? *value : texts::FormatNumbers(edit_texts::kMusicalTicks, {e.length});
      return texts::FormatTexts(edit_texts::kMusicalNote,
                                {NoteName(e.key), length, std::to_string(e.velocity)});
    }
    case ev::kPitchBend:
      return texts::FormatNumbers(edit_texts::kMusicalPitchBend,
                                  {CentsFromBend(e.value * 128 + e.key, context.bendSensitivity)});
    case ev::kProgramChange:
      if (e.channel == kDrumChannel) break;
      return texts::FormatTexts(edit_texts::kMusicalProgram,
                                {std::to_string(e.value + 1), InstrumentName(e.value)});
    case ev::kControlChange:
      if (e.type == kPanController) {
        return texts::FormatNumbers(edit_texts::kMusicalPan, {PanFromController(e.value)});
      }
      if (!IsNamedController(e.type)) {
        return texts::FormatNumbers(edit_texts::kMusicalController,
                                    {static_cast<long long>(e.type), e.value});
      }
      break;
    case ev::kMeta:
      if (e.IsMeta(ev::kMetaKeySignature) && e.DataLength() >= 2) {
        const int sharps = static_cast<std::int8_t>(e.PeekByte(0));
        if (const char* name = KeySignatureName(sharps, e.PeekByte(1))) {
          return texts::FormatTexts(edit_texts::kMusicalKeySignature, {name});
        }
      }
      if (e.IsMeta(ev::kMetaTimeSignature) && e.DataLength() >= 2 &&
          e.PeekByte(1) <= kMaxDenominatorPower) {
        return texts::FormatNumbers(edit_texts::kMusicalTimeSignature,
                                    {1LL << e.PeekByte(1), e.PeekByte(0)});
      }
      break;
    default:
      break;
  }
  return GetEventName(e);
}

std::string CEditSession::EventReading(const CMusicEvent& e, std::int64_t tick) const {
  if (!musicalReadings_) return GetEventName(e);
  MusicalContext context;
  context.resolution = entry_.resolution;
  context.gatePercent = entry_.gatePercent;
  if (e.status == ev::kPitchBend && song_) {
    context.bendSensitivity = SensitivityAt(*song_, e.channel, tick);
  }
  return MusicalEventName(e, context);
}

}  // namespace zentory
