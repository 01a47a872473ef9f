// The track: an ordered list of events with delta times.
//
// How to use the model:
// - A CMusicEvent is a value; a track owns its events in a std::vector and Events() gives direct
//   access for bulk work (the reader appends with AddEvent, which enforces the 131,072-event
//   limit; index insertions do not check it).
// - Absolute time of event i = the sum of the deltas of events 0..i. Keep deltas >= 0 and the
//   events in time order; end a track with an end-of-track (FixEndOfTrack / AppendEndOfTrack).
// - Form: kFresh (-1), kRawForm (1: note-on/note-off pairs, as in a file) or kNoteForm (2: one
//   0x10 note event with a length). ToNoteForm/ToRawForm switch; set the form with SetForm when
//   you build a track by hand (the reader sets kRawForm after parsing a chunk).
// - To delete several events, set their status to 0 and call Compact once (their deltas pass on).
// - Faults are reported through MdtkError/MuevError (song_errors.h) and never thrown.
// - CMidi1Data (a song as tracks) and CMidi0Data (a song as one track) are in midi_data.h;
//   BpmFromTempo and the other MIDI value functions in midi_values.h; GetEventName and
//   InstrumentNames in event_names.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "song/data_buff.h"
#include "song/music_event.h"

namespace zentory {

class CMidiTrack : public CDataBuff {
 public:
  static constexpr std::int32_t kMaxEvents = 0x20000;  // 131,072
  static constexpr std::int32_t kFresh = -1;
  static constexpr std::int32_t kRawForm = 1;
  static constexpr std::int32_t kNoteForm = 2;
  // Insert modes of InsertEvent / InsertEventAtTime.
  static constexpr std::int32_t kAfter = 1;
  static constexpr std::int32_t kBefore = 2;
  // Meta texts and data of this many bytes or more report MDTK 0D000028.
  static constexpr std::int32_t kLongMeta = 128;

  explicit CMidiTrack(std::int32_t capacity = kStandardCapacity) : CDataBuff(capacity) {}
  // An empty track in FORM.
  CMidiTrack(std::int32_t capacity, std::int32_t form) : CDataBuff(capacity), form_(form) {}
  CMidiTrack(const CMidiTrack&) = default;
  // A copy with room for EXTRA more events, so that the first insertions into it do not move
  // every event again.
  CMidiTrack(const CMidiTrack& other, std::size_t extra);
  CMidiTrack& operator=(const CMidiTrack&) = default;
  CMidiTrack(CMidiTrack&&) noexcept = default;
  CMidiTrack& operator=(CMidiTrack&&) noexcept = default;
  virtual ~CMidiTrack() = default;

  std::int32_t EventCount() const { return static_cast<std::int32_t>(events_.size()); }
  std::int32_t Form() const { return form_; }
  void SetForm(std::int32_t form) { form_ = form; }
  std::vector<CMusicEvent>& Events() { return events_; }
  const std::vector<CMusicEvent>& Events() const { return events_; }
  CMusicEvent& Event(std::int32_t index) { return events_[static_cast<std::size_t>(index)]; }
  const CMusicEvent& Event(std::int32_t index) const {
    return events_[static_cast<std::size_t>(index)];
  }
  bool IsEmpty() const { return events_.empty(); }
  // The absolute tick of every event (one pass).
  std::vector<std::int64_t> AbsoluteTimes() const;
  // The absolute tick of the event at INDEX.
  std::int64_t TimeOf(std::int32_t index) const;

  // Appends; at 131,072 events reports MDTK 0D000006 and stores nothing (false).
  bool AddEvent(CMusicEvent event);
  // kBefore: before the event at INDEX; kAfter: after it. Deltas are left to the caller. An index
  // outside the list reports MDTK 0D000001 (false); INDEX = EventCount() with kBefore appends.
  bool InsertEvent(std::int32_t index, std::int32_t mode, CMusicEvent event);
  // Inserts at an absolute TICK: kAfter behind the events already there, kBefore ahead of them;
  // tick -1 at the end-of-track's time, just before the last event. Returns the event's index
  // (for an end-of-track that moved the existing one: that one's index).
  std::int32_t InsertEventAtTime(std::int32_t tick, CMusicEvent event, std::int32_t mode);
  // Removes the event; its delta passes to the next one. False for an index outside the list.
  bool DeleteEvent(std::int32_t index);
  // Removes every event with status 0 in one pass, passing its delta on.
  void Compact();
  // Exchanges two events' places; each position keeps its delta. An index outside the list
  // reports MDTK 0D000001.
  void SwapEvents(std::int32_t i, std::int32_t j);
  void Clear() { events_.clear(); }
  // Leaves exactly one end-of-track, in the last position.
  void FixEndOfTrack();
  // Appends an end-of-track with DELTA unless the last event already is one.
  void AppendEndOfTrack(std::int32_t delta);

  // The channel of the first channel event (not 0xF0/0xF7); 255 when there is none.
  std::int32_t GetChannel() const;
  // The tick where the track ends; in note form the ends of notes count.
  std::int64_t GetLengthTicks() const;

  // The data of the first meta event of TYPE (as stored, CP932 for texts); false and "" if none.
  bool GetFirstMetaText(std::uint32_t type, std::string& out) const;
  // Deletes the first (ALL false) or every meta event of TYPE; true when one was deleted.
  bool DeleteMeta(std::uint32_t type, bool all);
  // Replaces the value of a tempo event standing exactly at TICK, or inserts one there.
  void SetTempoAt(std::int32_t tick, std::int32_t microseconds);
  void AppendTempo(std::int32_t microseconds);
  // Time signature NUMERATOR / 2^POWER (clocks per click 18, 32nds per quarter 8).
  void AppendTimeSignature(std::int32_t numerator, std::int32_t power);
  void InsertMasterVolume(std::int32_t volume, std::int32_t index);
  void AppendProgramChange(std::int32_t channel, std::int32_t program);
  void AppendControlChange(std::int32_t channel, std::int32_t controller, std::int32_t value);
  void InsertControlChangeFirst(std::int32_t channel, std::int32_t controller, std::int32_t value);
  void InsertProgramChangeFirst(std::int32_t channel, std::int32_t program);
  // TEXT is stored as given (CP932 bytes) without a terminating zero.
  void InsertMetaTextAtTime(std::int32_t tick, std::uint32_t type, std::string_view text);
  void InsertMetaTextFirst(std::uint32_t type, std::string_view text);
  void AppendMeta(std::int32_t delta, std::uint32_t type, std::span<const std::uint8_t> bytes);
  // Sets the program of the first program change; false when there is none.
  bool SetFirstProgram(std::int32_t program);
  // Removes every pitch bend with FROM <= time < TO; true when one was removed.
  bool DeletePitchBends(std::int64_t from, std::int64_t to);
  // Removes every event of STATUS with FROM <= time < TO, never an end-of-track; a negative FROM
  // reports MDTK 0D000025 and removes nothing. True when one was removed.
  bool DeleteKind(std::int64_t from, std::int64_t to, std::int32_t status);
  // Keys of the notes that sound from TICK on, in track order, at most 128; note form only
  // (else M1TK 0D000001 and nothing).
  std::vector<std::int32_t> NotesStartingAt(std::int64_t tick) const;

  // Form conversions, resolution change, window copy and merge (track_conversion.cpp).
  // Raw form -> note form; false (MDTK 0D000001, unchanged) in another form.
  bool ToNoteForm();
  // Note form -> raw form; false (MDTK 0D000001, unchanged) in another form.
  bool ToRawForm();
  // Rescales deltas and note lengths from OLDRES to NEWRES ticks per quarter (note form). A note
  // that would become 0 ticks long gets 1 tick (mode 0) or is deleted (mode 1); returns true when
  // that happened.
  bool ChangeResolution(std::int32_t oldRes, std::int32_t newRes, std::int32_t mode);
  // Merges a copy of OTHER into this track by time (OTHER first at equal times); NAMES joins the
  // track names as "this / other".
  void MergeTrack(const CMidiTrack& other, bool names);
  // Replaces this track's events with a copy of SOURCE's in SOURCE's form; SOURCE must be in
  // REQUIREDFORM, else MDTK 0D000001 and false.
  bool CopyFrom(const CMidiTrack& source, std::int32_t requiredForm = kNoteForm);

 private:
  std::int32_t form_ = kFresh;
  std::vector<CMusicEvent> events_;
};

// A new track (SOURCE's capacity and form) holding the window [FROM, TO) of SOURCE: events
// before FROM stand at the start (notes before it dropped), events from TO on are dropped, notes
// still sounding at TO end there (raw form), and pitch bends before the first note are thinned.
CMidiTrack CopyWindow(const CMidiTrack& source, std::int64_t from, std::int64_t to);

// A track made by the format-1 code; the same data as CMidiTrack.
class CMidi1Track : public CMidiTrack {
 public:
  using CMidiTrack::CMidiTrack;
  CMidi1Track() = default;
  explicit CMidi1Track(const CMidiTrack& track) : CMidiTrack(track) {}
};

}  // namespace zentory
