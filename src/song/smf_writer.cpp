#include "song/smf_writer.h"

#include <algorithm>
#include <limits>
#include <span>

#include "base/general.h"
#include "song/event_list.h"
#include "song/smf_parse.h"
#include "song/smf_reader.h"
#include "song/song_errors.h"

namespace zentory {

namespace {

constexpr std::size_t kHugeEncodedEvent = 0x60000;
constexpr std::int32_t kLongWrittenMeta = 128;
constexpr std::int32_t kPolyPressureLimit = 256;

std::uint8_t DataByte(std::int64_t v) {
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 127));
}

std::uint8_t KeyByte(std::int32_t key) {
  return key >= 0 && key <= 127 ? static_cast<std::uint8_t>(key) : 0;
}

std::uint8_t StatusByte(std::int32_t kind, std::int32_t channel, bool check) {
  // A channel that does not fit the status byte is written as its low four bits.
  if (check && (channel < 0 || channel > 15)) MdtkError(mdtk::kBadChannel);
  return static_cast<std::uint8_t>(kind | (channel & 0x0F));
}

// A system exclusive message as stored is F0, the file's length quantity, the bytes and F7. When
// the stored quantity does not count the bytes (a message read under running status, or a length
// that disagreed with its F7) every stored byte is written after a quantity that does, so other
// readers find the message where ours does.
bool AppendSysEx(const CMusicEvent& e, std::vector<std::uint8_t>& out) {
  const auto data = e.Data();
  if (data.size() < 2 || data[0] != 0xF0) return false;
  auto end = std::find(data.begin() + 1, data.end(), std::uint8_t{0xF7});
  const bool terminated = end != data.end();
  const auto body =
      data.subspan(1, static_cast<std::size_t>(end - data.begin()) - 1 + (terminated ? 1 : 0));
  std::uint32_t stated = 0;
  const std::size_t q = smf::VlqSize(body, &stated);
  if (terminated && q != 0 && stated == body.size() - q) {
    out.insert(out.end(), data.begin(),
               data.begin() + static_cast<std::ptrdiff_t>(1 + body.size()));
    return true;
  }
  out.push_back(0xF0);
  smf::AppendVlq(out, static_cast<std::uint32_t>(body.size() + (terminated ? 0 : 1)));
  out.insert(out.end(), body.begin(), body.end());
  if (!terminated) out.push_back(0xF7);
  return true;
}

// Appends the bytes of E after its delta; false when E makes no bytes (it is then skipped and its
// delta passes to the next event, so the track stays readable).
bool AppendEventBytes(const CMusicEvent& e, std::vector<std::uint8_t>& out) {
  switch (e.status) {
    case ev::kNoteOff:
      smf::AppendBytes(out, {StatusByte(0x80, e.channel, true), KeyByte(e.key), 0x40});
      return true;
    case ev::kNoteOn:
      smf::AppendBytes(out,
                       {StatusByte(0x90, e.channel, true), KeyByte(e.key), DataByte(e.velocity)});
      return true;
    case ev::kPolyPressure:
      // From the fields, which the editor keeps current (a channel change or a transposition
      // does not rewrite the bytes read from a file).
      if (e.DataLength() > kPolyPressureLimit) MdtkError(mdtk::kPolyPressureTooLong);
      smf::AppendBytes(out,
                       {StatusByte(0xA0, e.channel, false), DataByte(e.key), DataByte(e.value)});
      return true;
    case ev::kControlChange:
      smf::AppendBytes(out,
                       {StatusByte(0xB0, e.channel, true), DataByte(e.type), DataByte(e.value)});
      return true;
    case ev::kProgramChange:
      smf::AppendBytes(out, {StatusByte(0xC0, e.channel, true), DataByte(e.value)});
      return true;
    case ev::kChannelPressure:
      smf::AppendBytes(out, {StatusByte(0xD0, e.channel, false), DataByte(e.value)});
      return true;
    case ev::kPitchBend:
      smf::AppendBytes(out,
                       {StatusByte(0xE0, e.channel, false), DataByte(e.key), DataByte(e.value)});
      return true;
    case ev::kSysEx:
      return AppendSysEx(e, out);
    case ev::kSysExContinuation: {
      // Our reader takes a one-byte count after the F7; anything else would not read back.
      const auto data = e.Data();
      if (data.size() < 2 || data[0] != 0xF7 || data[1] + 2u != data.size()) return false;
      out.insert(out.end(), data.begin(), data.end());
      return true;
    }
    case ev::kMeta: {
      out.push_back(0xFF);
      out.push_back(static_cast<std::uint8_t>(e.type));
      if (e.type == ev::kMetaEndOfTrack) {
        out.push_back(0x00);
      } else if (e.type == ev::kMetaTempo) {
        const auto v = static_cast<std::uint32_t>(e.value);
        smf::AppendBytes(out, {0x03, static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
      } else if (e.type == ev::kMetaTimeSignature) {
        out.push_back(0x04);
        for (std::int32_t i = 0; i < 4; ++i) out.push_back(e.PeekByte(i));
      } else {
        if (e.DataLength() > kLongWrittenMeta && e.type != ev::kMetaSequencerSpecific) {
          MdtkError(mdtk::kHugeEvent);
        }
        smf::AppendVlq(out, static_cast<std::uint32_t>(e.DataLength()));
        const auto data = e.Data();
        out.insert(out.end(), data.begin(), data.end());
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

namespace {

// Appends one chunk of COUNT events. DELTAAT(i) is event i's delta, SKIPAT(i) leaves it out (its
// delta passes on), BYTESAT(i, out) appends its bytes (false: it makes none and is skipped),
// ENDAT(i) says whether it is an end-of-track.
template <class DeltaAt, class SkipAt, class BytesAt, class EndAt>
void EncodeChunk(std::size_t count, DeltaAt deltaAt, SkipAt skipAt, BytesAt bytesAt, EndAt endAt,
                 std::vector<std::uint8_t>& out) {
  const std::size_t head = out.size();
  smf::AppendBytes(out, {'M', 'T', 'r', 'k', 0, 0, 0, 0});
  RearmMdtkWarnings();
  std::int64_t carried = 0;
  bool endsWithEnd = false;
  for (std::size_t i = 0; i < count; ++i) {
    std::int64_t delta = carried + deltaAt(i);
    if (skipAt(i)) {
      carried = delta;
      continue;
    }
    const std::size_t start = out.size();
    if (delta < 0) delta = 0;
    if (delta > smf::kMaxVlq) {
      MdtkError(mdtk::kInternal);
      delta = smf::kMaxVlq;
    }
    smf::AppendVlq(out, static_cast<std::uint32_t>(delta));
    const std::size_t afterDelta = out.size();
    if (!bytesAt(i, out)) {
      MdtkError(mdtk::kUndefinedEvent);
      out.resize(start);
      carried = delta;
      continue;
    }
    if (out.size() - afterDelta > kHugeEncodedEvent) MdtkError(mdtk::kHugeEvent);
    carried = 0;
    endsWithEnd = endAt(i);
  }
  if (!endsWithEnd) {
    smf::AppendVlq(out, static_cast<std::uint32_t>(std::min<std::int64_t>(carried, smf::kMaxVlq)));
    smf::AppendBytes(out, {0xFF, 0x2F, 0x00});
  }
  const auto length = static_cast<std::uint32_t>(out.size() - head - 8);
  for (std::size_t i = 0; i < 4; ++i) {
    out[head + 4 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
  }
}

// One place of a note-form track's raw form: one of the track's events (a note as its note-on)
// or a note-off made for a note.
struct RawPlace {
  const CMusicEvent* event;  // null: a made note-off
  std::int32_t key;
  std::int32_t channel;
  bool IsOn() const {
    return event && (event->status == ev::kNote || event->status == ev::kNoteOn);
  }
  bool IsOff() const { return !event || event->status == ev::kNoteOff; }
  bool IsEnd() const { return event && event->IsEndOfTrack(); }
};

// The raw form of note-form TRACK as places and their deltas, in the order and with the deltas
// CMidiTrack::ToRawForm gives, without copying a single event.
void RawPlaces(const CMidiTrack& track, std::vector<RawPlace>& places,
               std::vector<std::int32_t>& deltas) {
  struct Off {
    std::int64_t time;
    std::uint32_t note;
    std::int32_t key;
    std::int32_t channel;
  };
  const std::vector<CMusicEvent>& src = track.Events();
  std::vector<const CMusicEvent*> kept;
  std::vector<std::int64_t> abs;
  std::vector<std::uint8_t> endsAtOnce;
  std::vector<Off> offs;
  kept.reserve(src.size());
  abs.reserve(src.size());
  endsAtOnce.reserve(src.size());
  // Notes without length or velocity are left out, their deltas passing on.
  std::int64_t t = 0, carry = 0;
  bool carrying = false;
  for (const CMusicEvent& e : src) {
    std::int64_t delta = e.delta;
    if (carrying) {
      if (carry + delta < 0) MdtkError(mdtk::kInternal);
      delta = std::clamp<std::int64_t>(carry + delta, 0, std::numeric_limits<std::int32_t>::max());
      carrying = false;
    }
    if (e.status == ev::kDeleted || (e.status == ev::kNote && (e.length == 0 || e.velocity == 0))) {
      carry = delta;
      carrying = true;
      continue;
    }
    t += delta;
    const auto index = static_cast<std::uint32_t>(kept.size());
    kept.push_back(&e);
    abs.push_back(t);
    endsAtOnce.push_back(0);
    if (e.status != ev::kNote) continue;
    if (e.length > 0) {
      offs.push_back({t + e.length, index, e.key, e.channel});
    } else {
      endsAtOnce.back() = 1;
    }
  }
  std::sort(offs.begin(), offs.end(), [](const Off& a, const Off& b) {
    return a.time != b.time ? a.time < b.time : a.note > b.note;
  });

  // Filled from the back: a note-off goes just before the first event at or after its note's
  // end, a note of negative length ends right after its note-on.
  const std::size_t n = kept.size();
  std::size_t total = n + offs.size();
  for (std::uint8_t once : endsAtOnce) total += once;
  places.assign(total, RawPlace{nullptr, 0, 0});
  deltas.assign(total, 0);
  std::size_t w = total;
  std::int64_t nextTime = 0;
  bool haveNext = false;
  auto place = [&](RawPlace p, std::int64_t time) {
    --w;
    if (haveNext) deltas[w + 1] = detail::ToDelta(nextTime - time);
    places[w] = p;
    nextTime = time;
    haveNext = true;
  };
  std::size_t p = offs.size();
  const std::int64_t lastTime = n > 0 ? abs[n - 1] : std::numeric_limits<std::int64_t>::min();
  while (p > 0 && offs[p - 1].time > lastTime) {
    --p;
    place({nullptr, offs[p].key, offs[p].channel}, offs[p].time);
  }
  for (std::size_t k = n; k-- > 0;) {
    const CMusicEvent& e = *kept[k];
    if (endsAtOnce[k]) place({nullptr, e.key, e.channel}, abs[k]);
    place({&e, e.key, e.channel}, abs[k]);
    const std::int64_t lower = k > 0 ? abs[k - 1] : std::numeric_limits<std::int64_t>::min();
    while (p > 0 && offs[p - 1].time > lower) {
      --p;
      place({nullptr, offs[p].key, offs[p].channel}, offs[p].time);
    }
  }
  if (haveNext) deltas[0] = detail::ToDelta(nextTime);

  // At one tick, each note-off changes places with the nearest note-on before it; the deltas
  // stay with the places.
  std::ptrdiff_t lastOn = -1;
  for (std::size_t k = 0; k < total; ++k) {
    if (k == 0 || deltas[k] != 0) lastOn = -1;
    if (places[k].IsOn()) {
      lastOn = static_cast<std::ptrdiff_t>(k);
    } else if (places[k].IsOff() && lastOn >= 0) {
      std::swap(places[static_cast<std::size_t>(lastOn)], places[k]);
      lastOn = static_cast<std::ptrdiff_t>(k);
    }
  }
  // An end-of-track that note-offs passed moves back to the end.
  if (total > 0 && !places.back().IsEnd()) {
    for (std::size_t q = total - 1; q-- > 0;) {
      if (places[q].IsEnd()) {
        deltas[q + 1] += deltas[q];
        const RawPlace end = places[q];
        places.erase(places.begin() + static_cast<std::ptrdiff_t>(q));
        deltas.erase(deltas.begin() + static_cast<std::ptrdiff_t>(q));
        places.push_back(end);
        deltas.push_back(0);
        break;
      }
    }
  }
}

// The chunk of a note-form track, encoded from its raw-form order without building it.
void EncodeNoteTrackChunk(const CMidiTrack& track, std::vector<std::uint8_t>& out) {
  std::vector<RawPlace> places;
  std::vector<std::int32_t> deltas;
  RawPlaces(track, places, deltas);
  EncodeChunk(
      places.size(), [&](std::size_t i) { return deltas[i]; }, [](std::size_t) { return false; },
      [&](std::size_t i, std::vector<std::uint8_t>& bytes) {
        const RawPlace& p = places[i];
        if (!p.event) {
          smf::AppendBytes(bytes, {StatusByte(0x80, p.channel, true), KeyByte(p.key), 0x40});
          return true;
        }
        if (p.event->status == ev::kNote) {
          smf::AppendBytes(bytes, {StatusByte(0x90, p.channel, true), KeyByte(p.key),
                                   DataByte(p.event->velocity)});
          return true;
        }
        return AppendEventBytes(*p.event, bytes);
      },
      [&](std::size_t i) { return places[i].IsEnd(); }, out);
}

}  // namespace

void EncodeTrackChunk(const CMidiTrack& track, std::vector<std::uint8_t>& out) {
  const std::vector<CMusicEvent>& events = track.Events();
  EncodeChunk(
      events.size(), [&](std::size_t i) { return events[i].delta; },
      [&](std::size_t i) { return events[i].status == ev::kDeleted; },
      [&](std::size_t i, std::vector<std::uint8_t>& bytes) {
        return AppendEventBytes(events[i], bytes);
      },
      [&](std::size_t i) { return events[i].IsEndOfTrack(); }, out);
}

std::vector<std::uint8_t> EncodeSong(const CMidi1Data& song) {
  std::vector<std::uint8_t> out;
  if (song.state != song_state::kRawForm && song.state != song_state::kNoteForm) {
    M1dtError(m1dt::kWrongState);
    return out;
  }
  std::size_t events = 0;
  for (const auto& t : song.Tracks()) events += t->Events().size();
  // Four bytes cover most events; note form doubles the notes.
  out.reserve(14 + song.Tracks().size() * 16 + events * 8);
  smf::AppendBytes(out, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1});
  smf::AppendBe16(out, static_cast<std::uint32_t>(song.TrackCount()));
  smf::AppendBe16(out, static_cast<std::uint32_t>(song.resolution));
  for (const auto& t : song.Tracks()) {
    if (t->Form() == CMidiTrack::kNoteForm) {
      EncodeNoteTrackChunk(*t, out);
    } else {
      EncodeTrackChunk(*t, out);
    }
  }
  return out;
}

bool WriteSong(const CMidi1Data& song, const std::string& path,
               std::vector<std::uint8_t>& written) {
  ScopedReportBatch batch;
  written = EncodeSong(song);
  return !written.empty() && WriteWholeFile(path, written);
}

void ReadBackSong(CMidi1Data& song, const std::vector<std::uint8_t>& written) {
  ScopedReportBatch batch;
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  if (!ReadBackTracks(written, song.TrackCount(), song.resolution, song.Capacity(),
                      song.state == song_state::kNoteForm, tracks)) {
    return;  // the file is written; the song keeps its own tracks
  }
  song.SetTracks(std::move(tracks));
}

bool SaveSong(CMidi1Data& song, const std::string& path) {
  std::vector<std::uint8_t> written;
  if (!WriteSong(song, path, written)) return false;
  ReadBackSong(song, written);
  return true;
}

}  // namespace zentory
