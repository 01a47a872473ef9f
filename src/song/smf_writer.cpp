#include "song/smf_writer.h"

#include <algorithm>
#include <span>

#include "base/general.h"
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

void EncodeTrackChunk(const CMidiTrack& track, std::vector<std::uint8_t>& out) {
  const std::size_t head = out.size();
  smf::AppendBytes(out, {'M', 'T', 'r', 'k', 0, 0, 0, 0});
  RearmMdtkWarnings();
  std::int64_t carried = 0;
  bool endsWithEnd = false;
  for (const CMusicEvent& e : track.Events()) {
    std::int64_t delta = carried + e.delta;
    if (e.status == ev::kDeleted) {
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
    if (!AppendEventBytes(e, out)) {
      MdtkError(mdtk::kUndefinedEvent);
      out.resize(start);
      carried = delta;
      continue;
    }
    if (out.size() - afterDelta > kHugeEncodedEvent) MdtkError(mdtk::kHugeEvent);
    carried = 0;
    endsWithEnd = e.IsEndOfTrack();
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
    if (t->Form() == CMidiTrack::kRawForm) {
      EncodeTrackChunk(*t, out);
      continue;
    }
    // A copy with room for a note-off per note, so the raw form grows without moving events.
    CMidiTrack raw(t->Capacity(), t->Form());
    raw.Events().reserve(2 * t->Events().size() + 1);
    raw.Events().insert(raw.Events().end(), t->Events().begin(), t->Events().end());
    if (raw.Form() == CMidiTrack::kNoteForm) raw.ToRawForm();
    EncodeTrackChunk(raw, out);
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
