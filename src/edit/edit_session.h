// The editing state the main window owns (the song, its channel table, the edit position, the
// undo slot, the note-entry and MML state, the preview) and the editing commands on it. The
// commands live in one file per family: note_entry.cpp, mml_entry.cpp, navigation.cpp,
// undo.cpp, track_commands.cpp. Each ends with one announcement through IEditFeedback.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ports/clock.h"
#include "base/ports/main_window_post.h"
#include "edit/edit_position.h"
#include "edit/note_preview.h"
#include "edit/settings_block.h"
#include "edit/undo_history.h"
#include "song/channel_values.h"
#include "song/midi_data.h"

namespace zentory {

class CMidiOutDevice;

inline constexpr int kMaxTracks = 65;  // the master track included
inline constexpr int kDrumChannel = 9;
// The last tick a saved song can hold at the editor's 480 ticks per quarter note (the longest
// delta a file can say): the song is read back only up to there, so nothing is placed later.
inline constexpr std::int64_t kLastSongTick = 0x0FFFFFFF;

// A key-down handler of a value entry: (virtual-key code, ctrl, shift, alt).
using EntryKeyHandler = std::function<void(int key, int ctrl, int shift, int alt)>;

// What the editing commands need of the main window.
class IEditFeedback {
 public:
  virtual ~IEditFeedback() = default;
  // Speaks TEXT and shows it as the guide text.
  virtual void Announce(std::string_view text) = 0;
  // Rewrites the two status fields from the edit position.
  virtual void UpdateStatusFields() = 0;
  // Hands every key to HANDLER (a value entry) and announces PROMPT.
  virtual void BeginValueEntry(EntryKeyHandler handler, std::string_view prompt) = 0;
  // Gives the keys back to the main key handler.
  virtual void RestoreMainKeyHandler() = 0;
  // The modal dialogs, run without voice guidance (the notice is announced first). Nothing, or
  // the empty text, when the user cancels.
  virtual std::optional<std::string> RunOpenFileDialog(std::string_view defaultExtension,
                                                       std::string_view filter) = 0;
  virtual std::optional<std::string> RunSaveFileDialog(std::string_view defaultExtension,
                                                       std::string_view filter) = 0;
  virtual std::string RunTextInputDialog() = 0;
  // The song was changed (called as a change begins; the change is complete when the command
  // returns).
  virtual void SongChanged() {}
};

// Plays what the play commands hand over, through a device of its own (the editor's device is
// closed meanwhile).
class IPlayback {
 public:
  virtual ~IPlayback() = default;
  // Plays DATA (note form, the tick window to play). With FILTER, note-ons of channels whose
  // flag is 0 are silenced. False when it could not start.
  virtual bool Start(const CMidi0Data& data, const std::array<int, 16>* filter) = 0;
  // Stops a running play; nothing when none runs.
  virtual void Stop() = 0;
  // True from a start until the play is over.
  virtual bool Active() const = 0;
};

struct EditServices {
  IEditFeedback* feedback = nullptr;  // required
  SettingsBlock* settings = nullptr;  // required; owned by the main window
  IClock* clock = nullptr;            // the 200 ms pause after a typed note number
  ITimerService* timers = nullptr;    // the preview's one-shot timer
  IMainWindowPost* post = nullptr;    // the low-velocity warning
  IPlayback* playback = nullptr;      // null: the play commands do nothing
  const std::array<int, 16>* channelPlayState = nullptr;  // for channel-selective play
};

// What the digits being typed in MML mode will set.
enum class EntryTarget {
  kNone = 0,
  kNoteValue = 1,  // of the last pending note
  kOctave = 2,
  kDefaultLength = 3,  // L
  kProgram = 4,
  kGate = 5,  // Q
  kNoteNumber = 6,
  kVelocity = 7,  // V
  kTiming = 8,    // T
  kNoteGate = 9,
  kNoteVelocity = 10,
  kNoteTiming = 11,
  kTie = 12,
  kAccent = 13,
};

struct PendingNote {
  int key = 0;
  int gate = 0;      // ticks; the note event's length
  int velocity = 0;  // as typed; brought into 1..127 when inserted
  int timing = 0;    // ticks; kept with the note, the insertion uses the current T
};

struct NoteEntryState {
  static constexpr std::size_t kMaxPending = 64;
  static constexpr std::size_t kMaxDigits = 31;

  int resolution = 480;
  int octave = 5;        // O: note number of C = octave * 12
  int noteValue = 480;   // L, ticks
  int gatePercent = 88;  // Q, 5..300
  int velocity = 127;    // V, 1..127
  int timing = 0;        // T, ticks
  int accent = 0;        // added once to the next note's velocity
  int lastNoteLength = 480;
  // A rest (R off the drum channel) being typed: Return moves on by its length.
  bool rest = false;
  int restLength = 480;
  EntryTarget target = EntryTarget::kNone;
  std::string digits;  // '0'..'9' and '-', at most kMaxDigits
  std::vector<PendingNote> pending;
};

class CEditSession {
 public:
  explicit CEditSession(const EditServices& services);
  ~CEditSession();
  CEditSession(const CEditSession&) = delete;
  CEditSession& operator=(const CEditSession&) = delete;

  // The device previews and auditions sound on (not owned; null: silence). A running preview
  // ends first.
  void SetOutput(CMidiOutDevice* device);
  CMidiOutDevice* Output() const { return preview_.Output(); }
  // The player the play commands hand over to (not owned; null: they do nothing).
  void SetPlayback(IPlayback* playback) { services_.playback = playback; }

  // Runs COMMAND when it is an editing command; false otherwise. The caller has flushed the
  // pending notes first (FlushPendingNotes).
  bool ExecuteCommand(int command);

  // ---- state ----
  CMidi1Data* Song() { return song_.get(); }
  const CMidi1Data* Song() const { return song_.get(); }
  CEditPosition& Position() { return position_; }
  const CEditPosition& Position() const { return position_; }
  ChannelTable& Channels() { return channelTable_; }
  const ChannelTable& Channels() const { return channelTable_; }
  NoteEntryState& Entry() { return entry_; }
  const NoteEntryState& Entry() const { return entry_; }
  int TrackCount() const { return song_ ? song_->TrackCount() : 0; }
  // The channel of the edit-target track (kMasterChannel when it has none).
  int CurrentChannel() const;
  // The position wording of TICK in the user's reading style.
  std::string PositionWording(std::int64_t tick) const;
  std::string PositionWording() const { return PositionWording(position_.tick); }
  // Makes SONG (note form) the song being edited, its tracks on CHANNELS: the edit target stays
  // when it is still in range (else the first channel track, or the master track), the position
  // goes to the head, the end tick to the song's length, the time signatures come from its
  // master track. The undo slot is left as it is.
  void SetSong(std::unique_ptr<CMidi1Data> song, const ChannelTable& channels);
  // Frees the song and its undo copy (shutdown).
  void FreeSong();

  // ---- note entry (note_entry.cpp) ----
  // Offers a key-down to note entry; true when it used the key.
  bool OnNoteKey(int key, int ctrl, int shift, int alt);
  // Commits the digits being typed and inserts the pending chord at the edit position without
  // moving it; true when notes were pending.
  bool FlushPendingNotes();
  // False (nothing entered) for a key outside 0..127 or a 65th pending note.
  bool EnterNote(int key);
  bool EnterDrumNote(int key);
  // Sounds the notes that start at the edit position in the edit-target track.
  void PreviewChordAtPosition();
  void StopPreview() { preview_.Stop(); }

  // ---- MML entry (mml_entry.cpp) ----
  bool OnMmlKey(int key, int shift);
  // Commits the value being typed for the current target; DOTTED for a note value ended by '.'.
  void CommitEntry(bool dotted = false);
  void ReadOutMmlValues();

  // ---- rests (rest_entry.cpp) ----
  // R off the drum channel: a chord being typed goes in first and the position moves past it,
  // then the rest takes the note value digits, dots and ties.
  void StartRest();
  // A note value or tie committed while a rest is typed; false when no rest is typed.
  bool CommitRestValue(EntryTarget target, int value, bool empty, bool dotted);

  // ---- navigation (navigation.cpp) ----
  void MoveByBar(int direction);
  void MoveByGrid(std::int64_t step, int direction);
  void MoveToTick(std::int64_t tick);  // head and end
  void MoveToEventTick(int direction);
  void StepEvent(int direction, bool sameKind, bool sameCommand);
  void StepMarker(int direction);
  void StepTicks(std::int64_t step, int direction);

  // ---- range editing (range_commands.cpp) ----
  void SetRangeStart();
  void SetRangeEnd();
  void CopyRange();
  void PasteCopyBuffer();
  void TransposeRange(int direction);
  void ClearRange();
  std::int64_t RangeStart() const { return rangeStart_; }  // -1: not set
  std::int64_t RangeEnd() const { return rangeEnd_; }

  // ---- files and markers (file_commands.cpp) ----
  void LoadFile();
  void SaveFile();
  void InsertMarker();

  // ---- playback (play_commands.cpp) ----
  // Plays [FROM, TO) (TO -1: to the song end), only the chosen channels' notes with FILTER; a
  // play key while a play runs stops it instead.
  void Play(std::int64_t from, std::int64_t to, bool filter);
  void PlayRange(bool filter);
  // The program and volume in force on the edit target's channel go to the open device (and
  // the pan with WITHPAN), so what the user plays next sounds as the song does.
  void SendTrackState(bool withPan);

  // ---- value entry (value_entry.cpp) ----
  // Tempo, key signature, pitch bend and pan take typed text until Return or Escape; the
  // program browser takes the arrows; volume changes at once.
  void StartTempoEntry();
  void StartKeySignatureEntry();
  void StartPitchBendEntry();
  void StartPanEntry();
  void StartProgramBrowser();
  void StepVolume(int direction);

  // ---- readings (musical_reading.cpp) ----
  // With musical readings, events, keyboard-mode notes, the transposition and typed values are
  // read as a musician names them.
  void SetMusicalReadings(bool on) { musicalReadings_ = on; }
  bool MusicalReadings() const { return musicalReadings_; }
  // EVENT, at TICK, in the reading in use.
  std::string EventReading(const CMusicEvent& event, std::int64_t tick) const;

  // ---- undo (undo.cpp) ----
  // Every change of the song starts here: the undo slot and the history take the song as it
  // stands, under the name set with SetChangeName.
  void TakeUndoSnapshot();
  void Undo();
  bool HasUndo() const { return undo_.has_value(); }
  // The history: one step further back than Undo goes, and forward again.
  void UndoFurther();
  void Redo();
  const CUndoHistory& History() const { return history_; }
  // The name the next change is recorded under (a command's description, or note entry).
  void SetChangeName(std::string_view name) { changeName_ = name; }

  // ---- saved state ----
  // True when the song differs from what was last loaded, saved or newly made.
  bool Changed() const { return stateId_ != savedStateId_; }
  // The song as it stands counts as saved (after a load, a save or a new song).
  void MarkSaved() { savedStateId_ = stateId_; }
  // Identifies the song's state: it changes with every change and comes back with undo.
  std::uint64_t StateId() const { return stateId_; }
  // The file the song was last loaded from or saved to; empty for a new song.
  const std::string& FilePath() const { return filePath_; }
  void SetFilePath(std::string path) { filePath_ = std::move(path); }
  // Makes SONG the song being edited as a changed song (a recovered one), the edit target at
  // TRACK and the position at TICK.
  void RestoreSong(std::unique_ptr<CMidi1Data> song, const ChannelTable& channels, int track,
                   std::int64_t tick);
  // Says the file name (or that the song is new) and whether it is saved.
  void AnnounceFileStatus();

  // ---- song and track commands (track_commands.cpp) ----
  // Makes a new song of 17 tracks and announces it (the caller takes the undo snapshot when
  // the user asked for it).
  // NOTES (start-up notices) follow the announcement after a blank.
  void NewSong(std::string_view notes = {});
  void AddTrack();
  void DeleteTrack();
  void SelectMasterTrack();
  void SelectTrackOfChannel(int channel);
  // Sends the edit target's program, volume and pan, refreshes the status and announces it.
  void TrackSelectionFeedback();
  // The next or previous track as the edit target (the master track is skipped).
  void StepTrack(int direction);
  // The channel of the edit-target track one up or down, its events moved along.
  void StepChannel(int direction);

 private:
  struct UndoSlot {
    CMidi1Data song;
    ChannelTable channelTable;
    std::int64_t endTick;
    std::uint64_t stateId;
  };
  SongState CurrentState() const;
  // Makes STATE the song, with its channels, end tick and time signatures.
  void ApplyState(SongState state);

  void Announce(std::string_view text) { services_.feedback->Announce(text); }
  void UpdateStatusFields() { services_.feedback->UpdateStatusFields(); }
  const SettingsBlock& Settings() const { return *services_.settings; }
  SettingsBlock& MutableSettings() { return *services_.settings; }
  // The output when a device is open there, else null (nothing is sent to a closed device).
  CMidiOutDevice* OpenOutput() const { return preview_.CanSound() ? preview_.Output() : nullptr; }

  // The edit-target track for reading; null when the target is out of range.
  const CMidiTrack* CurrentTrack() const;
  // The edit-target track for changing (its own copy once the undo slot shares it); the current
  // event index is cleared, since the events may move.
  CMidiTrack* MutableCurrentTrack();
  // The current event index, or -1 when it does not name an event of the edit-target track.
  int CheckedEventIndex() const;
  // Sets the tick (kept inside 0..INT32_MAX, where events can be inserted).
  void SetTick(std::int64_t tick);
  void RaiseEndTick(std::int64_t tick);
  // Rebuilds the time-signature list from the master track.
  void CollectTimeSignatures();
  // Keeps the edit target and the channel table in range of the song.
  void ClampEditTarget();
  // True when the edit-target track can take notes; otherwise says why.
  bool CheckNoteChannel();
  // Announces the position, refreshes the status and sounds the notes at the new tick.
  void FinishTimeMove();

  // note_entry.cpp
  bool OnKeyboardKey(int key);
  void ReturnKey(int shift);
  // True when every pending note, placed by the insertion, ends by kLastSongTick.
  bool PendingNotesFit() const;
  int GateOf(int percent, int length) const;
  // range_commands.cpp
  // Says which mark is missing; true when both are set.
  bool CheckRangeMarks();
  // Puts reversed marks in order; the sentence that says so, or "".
  std::string OrderRangeMarks();

  // value_entry.cpp
  enum class ValueKind { kTempo, kPitchBend, kPan };
  struct ValueEntryState {
    static constexpr std::size_t kMaxText = 255;
    ValueKind kind = ValueKind::kTempo;
    std::string text;  // the characters typed, at most kMaxText
    int program = 0;   // the program being browsed
  };
  // Backspace, Escape and Return of a typed entry (Return runs COMMIT); true for those keys.
  bool TypedEntryKey(int key, void (CEditSession::*commit)());
  // Hands the keys to the typed-value handler for KIND after announcing PROMPT.
  void BeginNumericEntry(ValueKind kind, const char* prompt);
  void OnNumericValueKey(int key, int ctrl, int shift, int alt);
  void OnKeySignatureKey(int key, int ctrl, int shift, int alt);
  void OnProgramKey(int key, int ctrl, int shift, int alt);
  void CommitNumericValue();
  void CommitKeySignature();
  // With musical readings, says what the last key added to the typed text after BEFORE bytes.
  void EchoTypedCharacter(std::size_t before);
  // Track INDEX for changing; the current event index is cleared when it is the edit target.
  CMidiTrack* ChangeTrack(int index);
  // The tracks after the master track that the channel table puts on CHANNEL, in order (the
  // edit target among them when it has a channel).
  std::vector<int> ChannelTracks(int channel) const;
  // The latest program change (STATUS 0xC0) or control change CONTROLLER (0xB0) on CHANNEL at
  // or before the position takes VALUE, with every such event beside it in its track (the first
  // track wins on equal ticks); without one, the event goes first into the channel's first track.
  void StoreLatestValue(int channel, int status, int controller, int value);
  // The first control change CONTROLLER on CHANNEL exactly at the position, in track order,
  // takes VALUE; without one, the event is added at the position in the edit target.
  void StoreControllerAtTick(int channel, int controller, int value);
  // pitch_bend.cpp: stores and sends the bend of CENTS at the position; returns the cents stored.
  int StorePitchBend(int cents);
  // mml_entry.cpp
  void ChooseTarget(EntryTarget target, const char* word);
  void AppendDigit(char c, std::string_view spoken);
  bool DigitFits(char c) const;
  void DeleteAtPosition();
  void CommitProgram(int value);
  int NoteValueTicks(int value, bool dotted) const;

  EditServices services_;
  std::unique_ptr<CMidi1Data> song_;
  ChannelTable channelTable_{};
  CEditPosition position_{};
  NoteEntryState entry_;
  CNotePreview preview_;
  std::optional<UndoSlot> undo_;
  CUndoHistory history_;
  std::string changeName_;
  std::uint64_t stateId_ = 0;
  std::uint64_t lastStateId_ = 0;
  std::uint64_t savedStateId_ = 0;
  std::string filePath_;
  std::int64_t rangeStart_ = -1;
  std::int64_t rangeEnd_ = -1;
  std::optional<CMidiTrack> copyBuffer_;
  ValueEntryState value_;
  bool musicalReadings_ = false;
};

}  // namespace zentory
