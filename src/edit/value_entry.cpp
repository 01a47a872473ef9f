// Value entry: tempo, key signature, pitch bend and pan typed as text, the program browser and
// the volume steps. Channel values go to the tracks the channel table puts on the edit target's
// channel; the edit target itself is always one of them, so a value that is announced as set is
// always stored somewhere.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "base/text_format.h"
#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "edit/musical_reading.h"
#include "song/event_names.h"
#include "song/key_signatures.h"
#include "song/midi_values.h"
#include "sound/midi_out_device.h"

namespace zentory {

namespace {

constexpr int kKeyBackspace = 0x08;
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyNumpad0 = 0x60;
constexpr int kKeyNumpad9 = 0x69;
constexpr int kKeyNumpadMinus = 0x6D;
constexpr int kKeyMinus = 0xBD;

constexpr int kMinTempo = 10;
constexpr int kMaxTempo = 300;
constexpr int kPanLimit = 100;
constexpr int kPanController = 10;
constexpr int kVolumeController = 7;
constexpr int kDefaultVolume = 127;
constexpr int kAuditionKey = 60;
constexpr int kAuditionVelocity = 127;
constexpr std::int64_t kAuditionMs = 100;
// Typed numbers stop growing here; every value is clamped to a far smaller range afterwards.
constexpr long long kValueCeiling = 1'000'000'000;

// The typed text as a decimal integer with an optional leading '-'; an empty or malformed text
// ("1-2", "-") reads 0.
long long ReadValueText(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return 0;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = std::min(value * 10 + (c - '0'), kValueCeiling);
  }
  return negative ? -value : value;
}

int NextProgram(int program, int key) {
  switch (key) {
    case kKeyDown:
      return program == 127 ? 0 : program + 1;
    case kKeyUp:
      return program == 0 ? 127 : program - 1;
    case kKeyRight:
      return std::min((program / 8 + 1) * 8, 127);
    case kKeyLeft:
      return std::max(program % 8 != 0 ? program / 8 * 8 : program - 8, 0);
    default:
      return program;
  }
}

// The program a track sets for itself: its first program change other than 0, else its last
// program change; none without one.
std::optional<int> OwnProgram(const CMidiTrack& track) {
  std::optional<int> last;
  for (const CMusicEvent& e : track.Events()) {
    if (e.status != ev::kProgramChange) continue;
    if (e.value != 0) return e.value;
    last = e.value;
  }
  return last;
}

bool HasChannel(int channel) { return channel >= 0 && channel < 16; }

// What a stored channel value is: a program change, or a control change of one controller.
struct EventKind {
  std::int32_t status = ev::kProgramChange;
  std::uint32_t controller = 0;
};

bool IsKind(const CMusicEvent& e, EventKind kind, int channel) {
  return e.status == kind.status && e.channel == channel &&
         (kind.status != ev::kControlChange || e.type == kind.controller);
}

struct FoundEvent {
  int track = 0;
  std::int64_t tick = 0;
  int value = 0;
};

// The latest event of KIND on CHANNEL at or before TICK in TRACKS; on equal ticks the first
// track wins, and within a track the last event at that tick.
std::optional<FoundEvent> LatestAtOrBefore(const CMidi1Data& song, const std::vector<int>& tracks,
                                           int channel, EventKind kind, std::int64_t tick) {
  std::optional<FoundEvent> best;
  for (int index : tracks) {
    const CMidiTrack* track = song.Track(index);
    if (!track) continue;
    std::optional<FoundEvent> inTrack;
    std::int64_t t = 0;
    for (const CMusicEvent& e : track->Events()) {
      t += e.delta;
      if (t > tick) break;
      if (IsKind(e, kind, channel)) inTrack = FoundEvent{index, t, e.value};
    }
    if (inTrack && (!best || inTrack->tick > best->tick)) best = inTrack;
  }
  return best;
}

// Sets the value of a program or control change, keeping the stored bytes in step.
void SetEventValue(CMusicEvent& e, int value) {
  e.value = value;
  const std::int32_t at = e.status == ev::kControlChange ? 2 : 1;
  if (e.DataLength() > at) {
    e.MutableBlock()[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
  }
}

CMusicEvent MakeChannelValueEvent(int channel, EventKind kind, int value) {
  CMusicEvent e;
  e.status = kind.status;
  e.channel = channel;
  e.value = value;
  if (kind.status == ev::kControlChange) {
    e.type = kind.controller;
    const std::uint8_t bytes[] = {0xB0, static_cast<std::uint8_t>(kind.controller),
                                  static_cast<std::uint8_t>(value)};
    e.SetData(bytes);
  } else {
    const std::uint8_t bytes[] = {0xC0, static_cast<std::uint8_t>(value)};
    e.SetData(bytes);
  }
  return e;
}

// A key-signature meta event exactly at TICK takes BYTES; without one, one is added there.
void SetKeySignatureAt(CMidiTrack& master, std::int64_t tick, std::span<const std::uint8_t> bytes) {
  std::int64_t t = 0;
  for (CMusicEvent& e : master.Events()) {
    t += e.delta;
    if (t > tick) break;
    if (t == tick && e.IsMeta(ev::kMetaKeySignature)) {
      e.SetData(bytes);
      return;
    }
  }
  master.InsertEventAtTime(static_cast<std::int32_t>(tick),
                           MakeMetaEvent(0, ev::kMetaKeySignature, bytes), CMidiTrack::kAfter);
}

}  // namespace

// ---- typed values ----

void CEditSession::BeginNumericEntry(ValueKind kind, const char* prompt) {
  if (!song_ || TrackCount() == 0) return;
  // Pitch bend and pan are channel messages: a track without a channel has nowhere to put them.
  if (kind != ValueKind::kTempo && !HasChannel(CurrentChannel())) {
    Announce(edit_texts::kNoChannelForValue);
    return;
  }
  value_.kind = kind;
  value_.text.clear();
  services_.feedback->BeginValueEntry(
      [this](int key, int ctrl, int shift, int alt) { OnNumericValueKey(key, ctrl, shift, alt); },
      prompt);
}

void CEditSession::StartTempoEntry() {
  BeginNumericEntry(ValueKind::kTempo, edit_texts::kTempoPrompt);
}

void CEditSession::StartPitchBendEntry() {
  BeginNumericEntry(ValueKind::kPitchBend, edit_texts::kPitchBendPrompt);
}

void CEditSession::StartPanEntry() { BeginNumericEntry(ValueKind::kPan, edit_texts::kPanPrompt); }

void CEditSession::StartKeySignatureEntry() {
  if (!song_ || TrackCount() == 0) return;
  value_.text.clear();
  services_.feedback->BeginValueEntry(
      [this](int key, int ctrl, int shift, int alt) { OnKeySignatureKey(key, ctrl, shift, alt); },
      edit_texts::kKeySignaturePrompt);
}

bool CEditSession::TypedEntryKey(int key, void (CEditSession::*commit)()) {
  switch (key) {
    case kKeyBackspace:
      if (!value_.text.empty()) value_.text.pop_back();
      if (musicalReadings_) {
        Announce(value_.text.empty() ? std::string(edit_texts::kInputCleared) : value_.text);
      }
      return true;
    case kKeyEscape:
      services_.feedback->RestoreMainKeyHandler();
      Announce(edit_texts::kEntryCancelled);
      return true;
    case kKeyReturn:
      (this->*commit)();
      return true;
    default:
      return false;
  }
}

void CEditSession::OnNumericValueKey(int key, int ctrl, int /*shift*/, int alt) {
  if (key >= kKeyNumpad0 && key <= kKeyNumpad9) key -= kKeyNumpad0 - '0';
  if (TypedEntryKey(key, &CEditSession::CommitNumericValue)) return;
  // A key held with Ctrl or Alt is meant as a command, which does not run here.
  if (ctrl || alt || value_.text.size() >= ValueEntryState::kMaxText) return;
  const std::size_t before = value_.text.size();
  if (key >= '0' && key <= '9') {
    value_.text += static_cast<char>(key);
  } else if (key == kKeyMinus || key == kKeyNumpadMinus) {
    value_.text += '-';
  }
  EchoTypedCharacter(before);
}

void CEditSession::EchoTypedCharacter(std::size_t before) {
  if (!musicalReadings_ || value_.text.size() <= before) return;
  const std::string typed = value_.text.substr(before);
  // Alone, b and m would be read as letters; typed into a key they are the flat and the minor.
  if (typed == "b") {
    Announce(edit_texts::kFlatTyped);
  } else if (typed == "m") {
    Announce(edit_texts::kMinorTyped);
  } else {
    Announce(typed);
  }
}

void CEditSession::CommitNumericValue() {
  const long long typed = ReadValueText(value_.text);
  const bool empty = value_.text.empty();
  const std::int64_t tick = position_.tick;
  TakeUndoSnapshot();
  services_.feedback->RestoreMainKeyHandler();
  SettingsBlock& settings = MutableSettings();
  switch (value_.kind) {
    case ValueKind::kTempo: {
      const int bpm = static_cast<int>(
          std::clamp<long long>(empty ? settings.lastTempo : typed, kMinTempo, kMaxTempo));
      CMidiTrack* master = ChangeTrack(0);
      if (!master) return;
      master->SetTempoAt(static_cast<std::int32_t>(tick), TempoFromBpm(bpm));
      RaiseEndTick(master->GetLengthTicks());
      settings.lastTempo = bpm;
      Announce(
          texts::FormatTexts(edit_texts::kTempoSet, {PositionWording(tick), std::to_string(bpm)}));
      return;
    }
    case ValueKind::kPitchBend: {
      const int cents = static_cast<int>(empty ? settings.lastPitchBend : typed);
      const int stored = StorePitchBend(cents);
      settings.lastPitchBend = stored;
      Announce(texts::FormatNumbers(edit_texts::kPitchBendSet, {stored}));
      return;
    }
    case ValueKind::kPan: {
      const int pan = static_cast<int>(std::clamp<long long>(typed, -kPanLimit, kPanLimit));
      const int channel = CurrentChannel();
      const int value = PanControllerValue(pan);
      if (CMidiOutDevice* out = OpenOutput()) {
        out->SendControlChange(value, kPanController, channel);
      }
      StoreControllerAtTick(channel, kPanController, value);
      Announce(texts::FormatNumbers(edit_texts::kPanSet, {pan}));
      return;
    }
  }
}

void CEditSession::OnKeySignatureKey(int key, int ctrl, int shift, int alt) {
  if (TypedEntryKey(key, &CEditSession::CommitKeySignature)) return;
  if (ctrl || alt || value_.text.size() >= ValueEntryState::kMaxText) return;
  const std::size_t before = value_.text.size();
  if (key == 'B') {
    value_.text += shift ? 'b' : 'B';
  } else if (key >= 'A' && key <= 'G') {
    value_.text += static_cast<char>(key);
  } else if (key == '3' && shift) {
    value_.text += '#';
  } else if (key == 'M') {
    value_.text += 'm';
  }
  EchoTypedCharacter(before);
}

void CEditSession::CommitKeySignature() {
  const std::int64_t tick = position_.tick;
  const KeySignatureRow* row = FindKeySignature(value_.text);
  if (!row) {
    // A mistyped key must not quietly become C major: the entry stays open for another try.
    value_.text.clear();
    Announce(edit_texts::kUnknownKeySignature);
    return;
  }
  TakeUndoSnapshot();
  const std::uint8_t bytes[] = {static_cast<std::uint8_t>(row->sharps),
                                static_cast<std::uint8_t>(row->minor)};
  if (CMidiTrack* master = ChangeTrack(0)) {
    SetKeySignatureAt(*master, tick, bytes);
    RaiseEndTick(master->GetLengthTicks());
  }
  services_.feedback->RestoreMainKeyHandler();
  Announce(texts::FormatTexts(edit_texts::kKeySignatureSet, {PositionWording(tick), row->name}));
}

// ---- program browser ----

void CEditSession::StartProgramBrowser() {
  if (!song_) return;
  const int channel = CurrentChannel();
  if (!HasChannel(channel)) {
    Announce(edit_texts::kNoChannelTrack);
    return;
  }
  // Browsing starts from the program that Return replaces: the one in force at the position.
  const std::optional<FoundEvent> found =
      LatestAtOrBefore(*song_, ChannelTracks(channel), channel, EventKind{}, position_.tick);
  value_.program = found ? std::clamp(found->value, 0, 127) : 0;
  services_.feedback->BeginValueEntry(
      [this](int key, int ctrl, int shift, int alt) { OnProgramKey(key, ctrl, shift, alt); },
      std::string(InstrumentName(value_.program)) + edit_texts::kProgramPrompt);
}

void CEditSession::OnProgramKey(int key, int, int, int) {
  const int channel = CurrentChannel();
  switch (key) {
    case kKeyDown:
    case kKeyUp:
    case kKeyRight:
    case kKeyLeft:
      value_.program = NextProgram(value_.program, key);
      if (CMidiOutDevice* out = OpenOutput()) {
        preview_.Stop();
        out->SendProgramChange(value_.program, channel);
        out->SendNoteOn(kAuditionKey, kAuditionVelocity, channel);
        if (services_.clock) services_.clock->SleepMs(kAuditionMs);
        out->SendNoteOff(kAuditionKey, channel);
      }
      Announce(InstrumentName(value_.program));
      return;
    case kKeyReturn:
      TakeUndoSnapshot();
      if (CMidiOutDevice* out = OpenOutput()) out->SendProgramChange(value_.program, channel);
      StoreLatestValue(channel, ev::kProgramChange, 0, value_.program);
      services_.feedback->RestoreMainKeyHandler();
      Announce(texts::FormatTexts(edit_texts::kProgramSet, {InstrumentName(value_.program)}));
      return;
    case kKeyEscape:
      if (CMidiOutDevice* out = OpenOutput()) {
        const CMidiTrack* track = CurrentTrack();
        if (std::optional<int> own = track ? OwnProgram(*track) : std::nullopt) {
          out->SendProgramChange(*own, channel);
        }
      }
      services_.feedback->RestoreMainKeyHandler();
      Announce(edit_texts::kProgramCancelled);
      return;
    default:
      return;
  }
}

// ---- volume ----

void CEditSession::StepVolume(int direction) {
  if (!song_) return;
  const int channel = CurrentChannel();
  if (!HasChannel(channel)) {
    Announce(edit_texts::kNoChannelForValue);
    return;
  }
  // The step starts from the event it changes, so repeated presses keep counting.
  const EventKind volumeKind{ev::kControlChange, kVolumeController};
  const std::optional<FoundEvent> found =
      LatestAtOrBefore(*song_, ChannelTracks(channel), channel, volumeKind, position_.tick);
  const int volume =
      std::clamp((found ? found->value : kDefaultVolume) + (direction > 0 ? 1 : -1), 0, 127);
  TakeUndoSnapshot();
  if (CMidiOutDevice* out = OpenOutput()) {
    out->SendControlChange(volume, kVolumeController, channel);
  }
  StoreLatestValue(channel, ev::kControlChange, kVolumeController, volume);
  Announce(texts::FormatNumbers(edit_texts::kVolumeSet, {volume}));
}

// ---- storing channel values ----

CMidiTrack* CEditSession::ChangeTrack(int index) {
  if (!song_) return nullptr;
  if (index == position_.track) position_.eventIndex = -1;
  return song_->Track(index);
}

std::vector<int> CEditSession::ChannelTracks(int channel) const {
  std::vector<int> tracks;
  const int count = std::min(TrackCount(), kChannelTableSize);
  for (int i = 1; i < count; ++i) {
    if (channelTable_[static_cast<std::size_t>(i)] == channel) tracks.push_back(i);
  }
  return tracks;
}

void CEditSession::StoreLatestValue(int channel, int status, int controller, int value) {
  const EventKind kind{status, static_cast<std::uint32_t>(controller)};
  const std::vector<int> tracks = ChannelTracks(channel);
  if (tracks.empty()) return;
  const std::optional<FoundEvent> found =
      LatestAtOrBefore(*song_, tracks, channel, kind, position_.tick);
  if (!found) {
    CMidiTrack* first = ChangeTrack(tracks.front());
    first->Events().insert(first->Events().begin(), MakeChannelValueEvent(channel, kind, value));
    RaiseEndTick(first->GetLengthTicks());
    return;
  }
  CMidiTrack* track = ChangeTrack(found->track);
  std::int64_t t = 0;
  for (CMusicEvent& e : track->Events()) {
    t += e.delta;
    if (t > found->tick) break;
    if (t == found->tick && IsKind(e, kind, channel)) SetEventValue(e, value);
  }
}

void CEditSession::StoreControllerAtTick(int channel, int controller, int value) {
  const EventKind kind{ev::kControlChange, static_cast<std::uint32_t>(controller)};
  const std::int64_t tick = position_.tick;
  for (int index : ChannelTracks(channel)) {
    const CMidiTrack* track = static_cast<const CMidi1Data&>(*song_).Track(index);
    std::int64_t t = 0;
    std::int32_t at = 0;
    for (const CMusicEvent& e : track->Events()) {
      t += e.delta;
      if (t > tick) break;
      if (t == tick && IsKind(e, kind, channel)) {
        SetEventValue(ChangeTrack(index)->Event(at), value);
        return;
      }
      ++at;
    }
  }
  CMidiTrack* current = ChangeTrack(position_.track);
  if (!current) return;
  current->InsertEventAtTime(static_cast<std::int32_t>(tick),
                             MakeChannelValueEvent(channel, kind, value), CMidiTrack::kAfter);
  RaiseEndTick(current->GetLengthTicks());
}

}  // namespace zentory
