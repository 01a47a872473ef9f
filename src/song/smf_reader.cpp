#include "song/smf_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "song/format_conversion.h"
#include "song/smf_notes.h"
#include "song/smf_parse.h"
#include "song/song_errors.h"

namespace zentory {

namespace {

constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kChunkHead = 8;
// Events with this many data bytes are unusual enough to mention once per chunk.
constexpr std::size_t kHugeEventBytes = 256;

bool HasTrackTag(std::span<const std::uint8_t> image, std::size_t at) {
  return smf::HasTagAt(image, at, "MTrk") || smf::HasTagAt(image, at, "XFKM") ||
         smf::HasTagAt(image, at, "XFIH");
}

// Ticks per quarter note from the header's division word. A word with the high bit set counts
// frames per second (its negated high byte) and ticks per frame (its low byte); at 120 beats per
// minute a quarter note takes half a second. Said once per file.
std::int32_t ReadDivision(std::span<const std::uint8_t> image) {
  const std::uint32_t word = smf::PeekBe16(image, 12);
  if (word == 0) return kDefaultDivision;
  if ((word & 0x8000) == 0) return static_cast<std::int32_t>(word);
  M1dtError(m1dt::kTimeCodeDivision);
  auto frames = static_cast<std::int32_t>(0x100 - (word >> 8));
  if (frames == 29) frames = 30;  // 29.97 drop-frame time code counts 30 frame numbers a second
  const std::int32_t perSecond = frames * static_cast<std::int32_t>(word & 0xFF);
  return perSecond >= 2 ? perSecond / 2 : kDefaultDivision;
}

// Where the first chunk after the header starts: the header's length says, and a header longer
// than six bytes keeps its extra bytes to itself.
std::size_t FirstChunkAt(std::span<const std::uint8_t> image) {
  const std::uint64_t length = std::max<std::uint32_t>(smf::PeekBe32(image, 4), 6);
  return static_cast<std::size_t>(std::min<std::uint64_t>(kChunkHead + length, image.size()));
}

// A chunk of another kind than a track is passed over by its length, as readers of the format
// must, and is not one of the header's tracks. Said once per file (SKIPPED).
std::size_t SkipChunk(std::span<const std::uint8_t> image, std::size_t cursor, bool& skipped) {
  if (!skipped) M1dtError(m1dt::kSkippedChunk);
  skipped = true;
  return static_cast<std::size_t>(std::min<std::uint64_t>(
      std::uint64_t{cursor} + kChunkHead + smf::PeekBe32(image, cursor + 4), image.size()));
}

// A format-0 file with several tracks: merged into one track, then split by channel as a
// one-track format-0 file is.
std::unique_ptr<CMidi1Data> SplitFormat0Tracks(std::unique_ptr<CMidi1Data> song) {
  if (song->TrackCount() == 0) return song;
  if (song->TrackCount() > 1) M1dtError(m1dt::kFormat0Tracks);
  CMidi0Data merged(song->Capacity());
  if (!MergeSong(*song, merged)) return song;
  std::unique_ptr<CMidi1Data> split = SplitFormat0(merged);
  return split ? std::move(split) : std::move(song);
}

std::int32_t CapacityFor(std::size_t imageSize) {
  const std::int64_t capacity = static_cast<std::int64_t>(imageSize) + kLoadSlack;
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(capacity, std::numeric_limits<std::int32_t>::max()));
}

// The report of a read-back, whose faults the writer has already shown.
int Silent(ErrorCode) { return 1; }

// Makes the model's event from a token. SCRATCH holds the data bytes while they are assembled.
void BuildEvent(const smf::RawEvent& raw, std::int32_t delta, std::vector<std::uint8_t>& scratch,
                smf::TrackReport report, CMusicEvent& event) {
  event.status = raw.status;
  event.delta = delta;
  event.key = raw.key;
  event.velocity = raw.velocity;
  event.type = raw.type;
  event.value = raw.value;
  event.channel = raw.channel;
  const std::size_t n = raw.DataLength();
  if (n != 0) {
    scratch.resize(n);
    raw.CopyData(scratch.data());
    event.AssignData(scratch.data(), static_cast<std::int32_t>(n));
  }
  if (event.status == ev::kSysEx) event.ClassifySysEx();
  const bool exempt =
      (event.status == ev::kMeta || event.status == ev::kSysEx) && event.type == 127;
  if (n >= kHugeEventBytes && !exempt) report(mdtk::kHugeEvent);
}

}  // namespace

std::size_t ReadTrackChunk(std::span<const std::uint8_t> image, std::size_t cursor,
                           CMidiTrack& track, const ChunkReadOptions& options) {
  const smf::TrackReport report = options.quiet ? &Silent : &MdtkError;
  if (!options.quiet) RearmMdtkWarnings();
  track.Clear();
  track.SetForm(options.noteForm ? CMidiTrack::kNoteForm : CMidiTrack::kRawForm);
  if (!HasTrackTag(image, cursor)) {
    if (!options.quietRefusal) report(mdtk::kNotMidiChunk);
    return 0;
  }
  const std::uint64_t chunk = std::uint64_t{smf::PeekBe32(image, cursor + 4)} + kChunkHead;
  if (chunk > image.size() - cursor) {
    if (!options.quietRefusal) report(mdtk::kInternal);
    return 0;
  }
  const auto size = static_cast<std::size_t>(chunk);
  const auto body = image.subspan(cursor + kChunkHead, size - kChunkHead);

  auto& events = track.Events();
  // Three bytes per event is the common size under running status.
  events.reserve(std::min<std::size_t>(body.size() / 3 + 1, CMidiTrack::kMaxEvents + 1u));
  const std::int64_t limit = options.unboundedTime ? std::numeric_limits<std::int64_t>::max()
                                                   : smf::TickLimitFor(options.division);
  smf::TrackTokenizer tokenizer(body, limit, report);
  smf::RawEvent raw;
  std::vector<std::uint8_t> scratch;
  std::int64_t carried = 0;  // delta of events not stored, passed on to the next event
  std::size_t stored = 0;    // events a raw-form track would hold
  // Note form as the events arrive: a note-on opens a note of its channel and key, a note-off
  // closes the earliest note of that channel and key still open (the first following note-off
  // of each note that no earlier note took) and is not stored itself. Notes no note-off closes
  // are ended at the end by EndOpenNotes, as the conversion of a raw-form track does.
  struct OpenNote {
    std::size_t index;
    std::int64_t start;
    std::int32_t next;
  };
  std::vector<OpenNote> open;
  // Slots are cleared bytewise (all ones is -1): this runs for every chunk, the read-back of a
  // saved song's seventeen included. STILLOPEN counts the notes no note-off has closed yet.
  std::array<std::int32_t, 16 * 128> first;
  std::array<std::int32_t, 16 * 128> last;
  if (options.noteForm) {
    std::memset(first.data(), 0xFF, sizeof first);
    std::memset(last.data(), 0xFF, sizeof last);
  }
  std::size_t stillOpen = 0;
  bool zeroLength = false;
  std::int64_t now = 0;
  std::int64_t end = 0;  // time of the last event a raw-form read would store
  while (tokenizer.Next(raw) == smf::TrackTokenizer::Step::kEvent) {
    now += raw.delta;
    const std::int64_t delta = carried + raw.delta;
    if (raw.status == 0) {
      carried = delta;
      continue;
    }
    if (options.limitEvents && stored >= static_cast<std::size_t>(CMidiTrack::kMaxEvents)) {
      report(mdtk::kTooManyEvents);  // nothing more is stored
      break;
    }
    ++stored;
    end = now;
    const bool noteOff =
        raw.status == ev::kNoteOff || (raw.status == ev::kNoteOn && raw.velocity == 0);
    const auto slot = static_cast<std::size_t>((raw.channel & 0x0F) * 128 + (raw.key & 0x7F));
    if (options.noteForm && noteOff) {
      // A note-off read with velocity 0 keeps even a key above 127, which no note can have.
      if (raw.key <= 127 && first[slot] >= 0) {
        const OpenNote& note = open[static_cast<std::size_t>(first[slot])];
        const std::int64_t length = now - note.start;
        events[note.index].length = static_cast<std::int32_t>(
            std::min<std::int64_t>(length, std::numeric_limits<std::int32_t>::max()));
        zeroLength = zeroLength || length == 0;
        first[slot] = note.next;
        if (first[slot] < 0) last[slot] = -1;
        --stillOpen;
      }
      carried = delta;
      continue;
    }
    carried = 0;
    // Built in place: a million events must not be moved twice each.
    CMusicEvent& event = events.emplace_back();
    BuildEvent(raw,
               static_cast<std::int32_t>(
                   std::min<std::int64_t>(delta, std::numeric_limits<std::int32_t>::max())),
               scratch, report, event);
    if (options.noteForm && raw.status == ev::kNoteOn) {
      event.status = ev::kNote;
      event.length = kOpenNoteLength;
      const auto id = static_cast<std::int32_t>(open.size());
      open.push_back({events.size() - 1, now, -1});
      ++stillOpen;
      if (last[slot] >= 0) {
        open[static_cast<std::size_t>(last[slot])].next = id;
      } else {
        first[slot] = id;
      }
      last[slot] = id;
    }
  }
  if (!options.noteForm) {
    track.SetForm(CMidiTrack::kRawForm);
    return size;
  }
  const bool unended = stillOpen > 0;
  if (unended) {
    EndOpenNotes(events, end);
    report(mdtk::kNotesWithoutEnd);
  }
  if (unended || zeroLength) {
    // A note without length sounds nothing; it goes, as in the conversion of a raw-form track.
    for (CMusicEvent& e : events) {
      if (e.status == ev::kNote && e.length == 0) e.status = ev::kDeleted;
    }
    track.Compact();
  }
  track.SetForm(CMidiTrack::kNoteForm);
  return size;
}

std::unique_ptr<CMidi1Data> ReadFormat1(std::vector<std::uint8_t> image,
                                        std::int32_t targetResolution) {
  auto song = std::make_unique<CMidi1Data>(CapacityFor(image.size()));
  song->state = song_state::kBytes;
  if (image.empty()) {
    // An empty file is no MIDI file; saying nothing would leave the user guessing.
    M1dtError(m1dt::kNotMidiFile);
    return song;
  }
  if (!smf::HasTagAt(image, 0, "MThd")) {
    if (!smf::HasMacBinaryPrefix(image)) {
      M1dtError(m1dt::kNotMidiFile);
      return song;
    }
    image.erase(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(smf::kMacBinaryPrefix));
  }
  const std::uint32_t format = smf::PeekBe16(image, 8);
  if (format > 2) {
    M1dtError(m1dt::kNotFormat1);
    return song;
  }
  auto count = static_cast<std::int32_t>(smf::PeekBe16(image, 10));
  if (count > kMaxFileTracks) {
    M1dtError(m1dt::kTrackCount);
    count = kFallbackTrackCount;
  } else if (count == 0) {
    // A song without any track cannot be edited; the header's count is wrong.
    M1dtError(m1dt::kTrackCount);
    return song;
  }
  song->resolution = ReadDivision(image);

  ChunkReadOptions options;
  options.division = song->resolution;
  options.noteForm = true;
  std::size_t cursor = FirstChunkAt(image);
  std::size_t refusedAt = std::numeric_limits<std::size_t>::max();
  bool skipped = false;
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  for (std::int32_t i = 0; i < count;) {
    if (cursor >= image.size()) {
      M1dtError(m1dt::kShortFile);
      break;
    }
    if (!HasTrackTag(image, cursor)) {
      cursor = SkipChunk(image, cursor, skipped);
      continue;
    }
    auto track = std::make_unique<CMidi1Track>(song->Capacity());
    // A chunk that reaches past the file is refused and the cursor stays on it, so every later
    // count refuses the same chunk again: the fault is shown once.
    options.quietRefusal = cursor == refusedAt;
    const std::size_t used = ReadTrackChunk(image, cursor, *track, options);
    if (used == 0) refusedAt = cursor;
    cursor += used;
    // Each track is read into note form and rescaled while its events are still in the cache;
    // the result is the same as converting the whole song afterwards.
    if (targetResolution > 0) track->ChangeResolution(song->resolution, targetResolution, 0);
    tracks.push_back(std::move(track));
    ++i;
  }
  if (format == 2) M1dtError(m1dt::kFormat2);
  if (format != 0 && SplitMasterChannelEvents(tracks)) M1dtError(m1dt::kMasterChannelEvents);
  for (auto& t : tracks) song->AppendTrack(std::move(t));
  if (targetResolution > 0) song->resolution = targetResolution;
  song->state = song_state::kNoteForm;
  if (format == 0) return SplitFormat0Tracks(std::move(song));
  FixMasterVolume(*song);
  return song;
}

std::unique_ptr<CMidi0Data> ReadFormat0(std::vector<std::uint8_t> image) {
  auto data = std::make_unique<CMidi0Data>(CapacityFor(image.size()));
  data->state = song_state::kBytes;
  if (smf::HasMacBinaryPrefix(image)) {
    image.erase(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(smf::kMacBinaryPrefix));
  }
  const bool accepted = !image.empty() && smf::HasTagAt(image, 0, "MThd") &&
                        smf::PeekBe16(image, 8) == 0 && smf::PeekBe16(image, 10) == 1;
  if (!accepted) {
    // Read as format 1 (which names the fault) and merged into one track.
    std::unique_ptr<CMidi1Data> song = ReadFormat1(std::move(image));
    if (song->state != song_state::kNoteForm || song->TrackCount() == 0) return data;
    if (!MergeSong(*song, *data)) return data;
    return data;
  }
  data->resolution = ReadDivision(image);
  ChunkReadOptions options;
  options.division = data->resolution;
  options.noteForm = true;
  data->Track().SetCapacity(data->Capacity());
  std::size_t cursor = FirstChunkAt(image);
  bool skipped = false;
  while (cursor < image.size() && !HasTrackTag(image, cursor)) {
    cursor = SkipChunk(image, cursor, skipped);
  }
  ReadTrackChunk(image, cursor, data->Track(), options);
  data->state = song_state::kNoteForm;
  return data;
}

bool ReadBackTracks(std::span<const std::uint8_t> image, std::int32_t count,
                    std::int32_t resolution, std::int32_t capacity, bool noteForm,
                    std::vector<std::unique_ptr<CMidiTrack>>& tracks) {
  ChunkReadOptions options;
  options.division = resolution;
  options.limitEvents = false;
  options.unboundedTime = true;
  options.quiet = true;
  options.noteForm = noteForm;
  tracks.clear();
  std::size_t cursor = kHeaderSize;
  for (std::int32_t i = 0; i < count; ++i) {
    auto track = std::make_unique<CMidi1Track>(capacity);
    const std::size_t used = ReadTrackChunk(image, cursor, *track, options);
    if (used == 0) return false;
    cursor += used;
    tracks.push_back(std::move(track));
  }
  return true;
}

void FixMasterVolume(CMidi1Data& song) {
  if (song.TrackCount() == 0) return;
  std::int32_t tracksWithOne = 0;
  for (const auto& track : song.Tracks()) {
    std::int32_t inTrack = 0;
    for (const CMusicEvent& e : track->Events()) {
      if (e.status == ev::kSysEx && e.type == sysex::kMasterVolume) ++inTrack;
    }
    if (inTrack > 1) MdtkError(mdtk::kManyMasterVolumes);
    if (inTrack > 0 && ++tracksWithOne > 1) M1dtError(m1dt::kManyMasterVolumes);
  }
  if (tracksWithOne > 0) return;
  std::int32_t target = 0;
  for (std::int32_t i = 0; i < song.TrackCount(); ++i) {
    if (song.Tracks()[static_cast<std::size_t>(i)]->GetChannel() != ev::kNoChannel) {
      target = i;
      break;
    }
  }
  song.Track(target)->InsertMasterVolume(127, 0);
}

}  // namespace zentory
