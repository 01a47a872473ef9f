#include "song/midi_track.h"

#include <algorithm>
#include <limits>

#include "song/event_list.h"
#include "song/song_errors.h"

namespace zentory {

namespace {

std::int32_t ClampDelta(std::int64_t d) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(d, 0, std::numeric_limits<std::int32_t>::max()));
}

CMusicEvent MakeChannelEvent(std::int32_t status, std::int32_t channel) {
  CMusicEvent e;
  e.status = status;
  e.channel = channel;
  return e;
}

std::uint8_t Low(std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

CMusicEvent MakeControlChange(std::int32_t channel, std::int32_t controller, std::int32_t value) {
  CMusicEvent e = MakeChannelEvent(ev::kControlChange, channel);
  e.type = static_cast<std::uint32_t>(controller);
  e.value = value;
  const std::uint8_t bytes[] = {0xB0, Low(controller), Low(value)};
  e.SetData(bytes);
  return e;
}

}  // namespace

CMidiTrack::CMidiTrack(const CMidiTrack& other, std::size_t extra)
    : CDataBuff(other), form_(other.form_) {
  events_.reserve(other.events_.size() + extra);
  events_.insert(events_.end(), other.events_.begin(), other.events_.end());
}

std::vector<std::int64_t> CMidiTrack::AbsoluteTimes() const {
  std::vector<std::int64_t> times(events_.size());
  std::int64_t t = 0;
  for (std::size_t i = 0; i < events_.size(); ++i) {
    t += events_[i].delta;
    times[i] = t;
  }
  return times;
}

std::int64_t CMidiTrack::TimeOf(std::int32_t index) const {
  std::int64_t t = 0;
  const std::int32_t n = std::min(index, EventCount() - 1);
  for (std::int32_t i = 0; i <= n; ++i) t += events_[static_cast<std::size_t>(i)].delta;
  return t;
}

bool CMidiTrack::AddEvent(CMusicEvent event) {
  if (EventCount() >= kMaxEvents) {
    MdtkError(mdtk::kTooManyEvents);
    return false;
  }
  events_.push_back(std::move(event));
  return true;
}

bool CMidiTrack::InsertEvent(std::int32_t index, std::int32_t mode, CMusicEvent event) {
  std::int32_t at = mode == kAfter ? index + 1 : index;
  if (index < 0 || at > EventCount() || (mode == kAfter && index >= EventCount())) {
    MdtkError(mdtk::kInternal);
    return false;
  }
  events_.insert(events_.begin() + at, std::move(event));
  return true;
}

std::int32_t CMidiTrack::InsertEventAtTime(std::int32_t tick, CMusicEvent event,
                                           std::int32_t mode) {
  if (tick < -1) {
    MdtkError(mdtk::kBadPlayData);
    tick = 0;
  }
  const std::int32_t n = EventCount();
  if (n == 0) {
    event.delta = tick < 0 ? 0 : tick;
    events_.push_back(std::move(event));
    return 0;
  }
  if (tick == -1) {
    CMusicEvent& last = events_.back();
    event.delta = last.delta;
    last.delta = 0;
    events_.insert(events_.end() - 1, std::move(event));
    return n - 1;
  }
  // Walk every event but the last.
  std::int64_t before = 0;  // absolute time before event i
  for (std::int32_t i = 0; i + 1 < n; ++i) {
    CMusicEvent& e = events_[static_cast<std::size_t>(i)];
    const std::int64_t at = before + e.delta;
    if (at >= tick) {
      event.delta = ClampDelta(tick - before);
      e.delta = ClampDelta(at - tick);
      events_.insert(events_.begin() + i, std::move(event));
      if (mode == kAfter) {
        std::int32_t p = i;
        while (p + 1 < EventCount()) {
          CMusicEvent& next = events_[static_cast<std::size_t>(p + 1)];
          if (next.delta != 0 || next.IsEndOfTrack()) break;
          SwapEvents(p, p + 1);
          ++p;
        }
        return p;
      }
      return i;
    }
    before = at;
  }
  // Past every event but the last: BEFORE is the time of the event before the last.
  const std::int64_t c = before;
  CMusicEvent& last = events_.back();
  if (event.IsEndOfTrack()) {
    if (last.IsEndOfTrack()) {
      last.delta = ClampDelta(tick - c);
      return n - 1;
    }
    const std::int64_t d = tick - c - last.delta;
    if (d < 0) MdtkError(mdtk::kBadPlayData);
    event.delta = ClampDelta(d);
    events_.push_back(std::move(event));
    return n;
  }
  const std::int64_t d = tick - c;
  event.delta = ClampDelta(d);
  last.delta = ClampDelta(last.delta - d);
  events_.insert(events_.end() - 1, std::move(event));
  return n - 1;
}

bool CMidiTrack::DeleteEvent(std::int32_t index) {
  if (index < 0 || index >= EventCount()) return false;
  const auto at = static_cast<std::size_t>(index);
  if (at + 1 < events_.size()) events_[at + 1].delta += events_[at].delta;
  events_.erase(events_.begin() + index);
  return true;
}

void CMidiTrack::Compact() {
  detail::CompactWhere(events_, [](const CMusicEvent&) { return false; });
}

void CMidiTrack::SwapEvents(std::int32_t i, std::int32_t j) {
  if (i < 0 || j < 0 || i >= EventCount() || j >= EventCount()) {
    MdtkError(mdtk::kInternal);
    return;
  }
  if (i == j) return;
  CMusicEvent& a = events_[static_cast<std::size_t>(i)];
  CMusicEvent& b = events_[static_cast<std::size_t>(j)];
  std::swap(a, b);
  std::swap(a.delta, b.delta);
}

void CMidiTrack::FixEndOfTrack() {
  if (events_.empty()) {
    events_.push_back(MakeEndOfTrack(0));
    return;
  }
  bool any = false;
  for (std::size_t i = 0; i + 1 < events_.size(); ++i) {
    if (events_[i].IsEndOfTrack()) {
      events_[i].status = ev::kDeleted;
      any = true;
    }
  }
  if (any) Compact();
  if (!events_.back().IsEndOfTrack()) events_.push_back(MakeEndOfTrack(0));
}

void CMidiTrack::AppendEndOfTrack(std::int32_t delta) {
  // Not bound by the event limit: a track without its end could not be written or played.
  if (events_.empty() || !events_.back().IsEndOfTrack()) events_.push_back(MakeEndOfTrack(delta));
}

std::int32_t CMidiTrack::GetChannel() const {
  for (const CMusicEvent& e : events_) {
    if (e.channel != ev::kNoChannel && e.status != ev::kSysEx &&
        e.status != ev::kSysExContinuation) {
      return e.channel;
    }
  }
  return ev::kNoChannel;
}

std::int64_t CMidiTrack::GetLengthTicks() const {
  // In note form the raw-form length is wanted: a note that outlasts every event moves the end
  // of the track to its note-off. Zero-length and silent notes have no note-off there.
  // Events the raw form drops (such notes, and marked events) take their delta with them when
  // nothing follows them.
  std::int64_t t = 0;
  std::int64_t end = 0;
  if (form_ != kNoteForm) {
    for (const CMusicEvent& e : events_) t += e.delta;
    return t;
  }
  for (const CMusicEvent& e : events_) {
    t += e.delta;
    if (e.status == ev::kDeleted) continue;
    if (e.status == ev::kNote) {
      if (e.length == 0 || e.velocity == 0) continue;
      end = std::max(end, t + std::max(e.length, 0));
    }
    end = std::max(end, t);
  }
  return end;
}

bool CMidiTrack::GetFirstMetaText(std::uint32_t type, std::string& out) const {
  for (const CMusicEvent& e : events_) {
    if (e.IsMeta(type)) {
      auto d = e.Data();
      out.assign(reinterpret_cast<const char*>(d.data()), d.size());
      return true;
    }
  }
  out.clear();
  return false;
}

bool CMidiTrack::DeleteMeta(std::uint32_t type, bool all) {
  bool any = false;
  for (CMusicEvent& e : events_) {
    if (e.IsMeta(type)) {
      e.status = ev::kDeleted;
      any = true;
      if (!all) break;
    }
  }
  if (any) Compact();
  return any;
}

void CMidiTrack::SetTempoAt(std::int32_t tick, std::int32_t microseconds) {
  std::int64_t t = 0;
  for (CMusicEvent& e : events_) {
    t += e.delta;
    if (t > tick) break;
    if (t == tick && e.IsMeta(ev::kMetaTempo)) {
      e.value = microseconds;
      if (e.DataLength() >= 3) {
        // Keep the stored bytes in step with the value.
        const auto v = static_cast<std::uint32_t>(microseconds);
        auto block = e.MutableBlock();
        block[0] = static_cast<std::uint8_t>(v >> 16);
        block[1] = static_cast<std::uint8_t>(v >> 8);
        block[2] = static_cast<std::uint8_t>(v);
      }
      return;
    }
  }
  InsertEventAtTime(tick, MakeTempoEvent(0, microseconds), kAfter);
}

void CMidiTrack::AppendTempo(std::int32_t microseconds) {
  AddEvent(MakeTempoEvent(0, microseconds));
}

void CMidiTrack::AppendTimeSignature(std::int32_t numerator, std::int32_t power) {
  const std::uint8_t bytes[] = {Low(numerator), Low(power), 18, 8};
  CMusicEvent e = MakeMetaEvent(0, ev::kMetaTimeSignature, bytes);
  e.value = numerator * 256 + (power >= 0 && power < 31 ? (1 << power) : 0);
  AddEvent(std::move(e));
}

void CMidiTrack::InsertMasterVolume(std::int32_t volume, std::int32_t index) {
  if (volume >= 128 || volume < 0) {
    MdtkError(mdtk::kInternal);
    // A data byte of 0x80 or more would end the message early in any receiver.
    volume = std::clamp(volume, 0, 127);
  }
  const std::uint8_t bytes[] = {0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, Low(volume), 0xF7};
  CMusicEvent e;
  e.status = ev::kSysEx;
  e.type = sysex::kMasterVolume;
  e.value = volume;
  e.SetData(bytes);
  InsertEvent(std::clamp(index, 0, EventCount()), kBefore, std::move(e));
}

void CMidiTrack::AppendProgramChange(std::int32_t channel, std::int32_t program) {
  CMusicEvent e = MakeChannelEvent(ev::kProgramChange, channel);
  e.value = program;
  const std::uint8_t bytes[] = {0xC0, Low(program)};
  e.SetData(bytes);
  events_.push_back(std::move(e));
}

void CMidiTrack::AppendControlChange(std::int32_t channel, std::int32_t controller,
                                     std::int32_t value) {
  events_.push_back(MakeControlChange(channel, controller, value));
}

void CMidiTrack::InsertControlChangeFirst(std::int32_t channel, std::int32_t controller,
                                          std::int32_t value) {
  events_.insert(events_.begin(), MakeControlChange(channel, controller, value));
}

void CMidiTrack::InsertProgramChangeFirst(std::int32_t channel, std::int32_t program) {
  CMusicEvent e = MakeChannelEvent(ev::kProgramChange, channel);
  e.value = program;
  events_.insert(events_.begin(), std::move(e));
}

namespace {
CMusicEvent MakeMetaText(std::uint32_t type, std::string_view text) {
  if (text.size() >= static_cast<std::size_t>(CMidiTrack::kLongMeta)) MdtkError(mdtk::kMetaTooLong);
  CMusicEvent e;
  e.status = ev::kMeta;
  e.type = type;
  e.SetData(reinterpret_cast<const std::uint8_t*>(text.data()),
            static_cast<std::int32_t>(text.size()));
  return e;
}
}  // namespace

void CMidiTrack::InsertMetaTextAtTime(std::int32_t tick, std::uint32_t type,
                                      std::string_view text) {
  InsertEventAtTime(tick, MakeMetaText(type, text), kAfter);
}

void CMidiTrack::InsertMetaTextFirst(std::uint32_t type, std::string_view text) {
  events_.insert(events_.begin(), MakeMetaText(type, text));
}

void CMidiTrack::AppendMeta(std::int32_t delta, std::uint32_t type,
                            std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= static_cast<std::size_t>(kLongMeta)) MdtkError(mdtk::kMetaTooLong);
  AddEvent(MakeMetaEvent(delta, type, bytes));
}

bool CMidiTrack::SetFirstProgram(std::int32_t program) {
  for (CMusicEvent& e : events_) {
    if (e.status == ev::kProgramChange) {
      e.value = program;
      return true;
    }
  }
  return false;
}

bool CMidiTrack::DeletePitchBends(std::int64_t from, std::int64_t to) {
  return DeleteKind(std::max<std::int64_t>(from, 0), to, ev::kPitchBend);
}

bool CMidiTrack::DeleteKind(std::int64_t from, std::int64_t to, std::int32_t status) {
  if (from < 0) {
    MdtkError(mdtk::kBadStart);
    return false;
  }
  bool any = false;
  std::int64_t t = 0;
  for (CMusicEvent& e : events_) {
    t += e.delta;
    if (t >= to) break;
    if (t >= from && e.status == status && !e.IsEndOfTrack()) {
      e.status = ev::kDeleted;
      any = true;
    }
  }
  if (any) Compact();
  return any;
}

std::vector<std::int32_t> CMidiTrack::NotesStartingAt(std::int64_t tick) const {
  std::vector<std::int32_t> keys;
  if (form_ != kNoteForm) {
    M1tkError(m1tk::kWrongForm);
    return keys;
  }
  // The raw form keeps the order of note-ons and drops notes without length or velocity.
  std::int64_t t = 0;
  for (const CMusicEvent& e : events_) {
    t += e.delta;
    if (t > tick) break;
    if (t == tick && e.status == ev::kNote && e.length != 0 && e.velocity != 0) {
      keys.push_back(e.key);
      if (keys.size() == 128) break;
    }
  }
  return keys;
}

bool CMidiTrack::CopyFrom(const CMidiTrack& source, std::int32_t requiredForm) {
  if (source.form_ != requiredForm) {
    MdtkError(mdtk::kInternal);
    return false;
  }
  if (&source != this) {
    events_ = source.events_;
    form_ = source.form_;
  }
  return true;
}

}  // namespace zentory
