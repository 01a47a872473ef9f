#include "song/play_start_state.h"

#include <array>
#include <map>
#include <tuple>
#include <vector>

namespace zentory {

namespace {

constexpr std::uint32_t kBankMsb = 0;
constexpr std::uint32_t kBankLsb = 32;
constexpr std::uint32_t kDataEntryMsb = 6;
constexpr std::uint32_t kDataEntryLsb = 38;
constexpr std::uint32_t kDataIncrement = 96;
constexpr std::uint32_t kDataDecrement = 97;
constexpr std::uint32_t kNrpnLsb = 98;
constexpr std::uint32_t kNrpnMsb = 99;
constexpr std::uint32_t kRpnLsb = 100;
constexpr std::uint32_t kRpnMsb = 101;
constexpr std::uint32_t kFirstChannelMode = 120;

using Event = const CMusicEvent*;

// The two selection events (MSB, LSB) of one RPN or NRPN parameter, as the song sent them.
struct Selection {
  Event msb = nullptr;
  Event lsb = nullptr;
  bool operator==(const Selection&) const = default;
};

struct Parameter {
  Selection selection;
  Event dataMsb = nullptr;
  Event dataLsb = nullptr;
};

struct ChannelState {
  Event bankMsb = nullptr, bankLsb = nullptr, program = nullptr, bend = nullptr;
  std::array<Event, 128> controllers{};
  Selection rpn, nrpn;
  bool nrpnActive = false;
  std::vector<Parameter> parameters;  // in the order the song first set them
  std::map<std::tuple<bool, int, int>, std::size_t> parameterIndex;

  Selection& Active() { return nrpnActive ? nrpn : rpn; }

  void DataEntry(const CMusicEvent& e, bool lsb) {
    Selection& s = Active();
    // Data entry with no parameter chosen sets nothing a play could restore.
    if (!s.msb && !s.lsb) return;
    const auto key =
        std::make_tuple(nrpnActive, s.msb ? s.msb->value : -1, s.lsb ? s.lsb->value : -1);
    auto [it, added] = parameterIndex.try_emplace(key, parameters.size());
    if (added) parameters.push_back({});
    Parameter& p = parameters[it->second];
    p.selection = s;
    (lsb ? p.dataLsb : p.dataMsb) = &e;
  }

  void Controller(const CMusicEvent& e) {
    const std::uint32_t c = e.type & 0x7F;
    switch (c) {
      case kBankMsb:
        bankMsb = &e;
        return;
      case kBankLsb:
        bankLsb = &e;
        return;
      case kRpnMsb:
      case kRpnLsb:
        (c == kRpnMsb ? rpn.msb : rpn.lsb) = &e;
        nrpnActive = false;
        return;
      case kNrpnMsb:
      case kNrpnLsb:
        (c == kNrpnMsb ? nrpn.msb : nrpn.lsb) = &e;
        nrpnActive = true;
        return;
      case kDataEntryMsb:
      case kDataEntryLsb:
        DataEntry(e, c == kDataEntryLsb);
        return;
      case kDataIncrement:
      case kDataDecrement:
        return;  // steps from a value the data entries already restore
      default:
        if (c < kFirstChannelMode) controllers[c] = &e;
        return;
    }
  }
};

void Put(std::vector<CMusicEvent>& out, Event e) {
  if (!e) return;
  out.push_back(*e);
  out.back().delta = 0;
}

void Put(std::vector<CMusicEvent>& out, const Selection& s) {
  Put(out, s.msb);
  Put(out, s.lsb);
}

}  // namespace

void ReduceToStateAt(CMidiTrack& track, std::int64_t from) {
  if (from <= 0) return;
  const std::vector<CMusicEvent>& events = track.Events();
  std::array<ChannelState, 16> channels;
  std::vector<Event> sysex;
  Event tempo = nullptr, timeSignature = nullptr;
  std::int64_t t = 0;
  std::size_t first = 0;  // the first event at or after FROM
  for (; first < events.size(); ++first) {
    const CMusicEvent& e = events[first];
    if (t + e.delta >= from) break;
    t += e.delta;
    ChannelState& c = channels[static_cast<std::size_t>(e.channel & 0x0F)];
    switch (e.status) {
      case ev::kControlChange:
        c.Controller(e);
        break;
      case ev::kProgramChange:
        c.program = &e;
        break;
      case ev::kPitchBend:
        c.bend = &e;
        break;
      case ev::kSysEx:
      case ev::kSysExContinuation:
        sysex.push_back(&e);
        break;
      case ev::kMeta:
        if (e.type == ev::kMetaTempo) tempo = &e;
        if (e.type == ev::kMetaTimeSignature) timeSignature = &e;
        break;
      default:
        break;  // notes, pressure and the other meta events set nothing that plays on
    }
  }
  if (first == 0) return;

  std::vector<CMusicEvent> out;
  for (Event e : sysex) Put(out, e);
  Put(out, tempo);
  Put(out, timeSignature);
  for (const ChannelState& c : channels) {
    Put(out, c.bankMsb);
    Put(out, c.bankLsb);
    Put(out, c.program);
    for (Event e : c.controllers) Put(out, e);
    Selection sent;
    for (const Parameter& p : c.parameters) {
      Put(out, p.selection);
      Put(out, p.dataMsb);
      Put(out, p.dataLsb);
      sent = p.selection;
    }
    const Selection& inForce = c.nrpnActive ? c.nrpn : c.rpn;
    if (!(inForce == sent)) Put(out, inForce);
    Put(out, c.bend);
  }
  const std::size_t state = out.size();
  out.insert(out.end(), events.begin() + static_cast<std::ptrdiff_t>(first), events.end());
  if (out.size() > state) {
    // The first event from FROM on keeps its time after the events it followed are gone.
    out[state].delta = static_cast<std::int32_t>(t + out[state].delta);
  }
  track.Events() = std::move(out);
}

}  // namespace zentory
