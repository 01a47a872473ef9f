#include "edit/edit_session.h"

#include <algorithm>
#include <limits>

#include "edit/command_ids.h"
#include "edit/edit_texts.h"
#include "edit/position_wording.h"
#include "song/load_song.h"

namespace zentory {

namespace {
constexpr std::int64_t kMaxTick = kLastSongTick;
}  // namespace

CEditSession::CEditSession(const EditServices& services)
    : services_(services), preview_(services.timers) {
  channelTable_.fill(kMasterChannel);
}

CEditSession::~CEditSession() = default;

void CEditSession::SetOutput(CMidiOutDevice* device) { preview_.SetOutput(device); }

void CEditSession::SetSong(std::unique_ptr<CMidi1Data> song, const ChannelTable& channels) {
  preview_.Stop();
  entry_.pending.clear();
  song_ = std::move(song);
  channelTable_ = channels;
  if (position_.track < 1 || position_.track >= TrackCount()) position_.track = 1;
  ClampEditTarget();
  position_.tick = 0;
  position_.eventIndex = -1;
  position_.resolution = song_ ? song_->resolution : 480;
  entry_.resolution = position_.resolution;
  position_.endTick = song_ ? song_->SongLength() : 0;
  CollectTimeSignatures();
}

void CEditSession::FreeSong() {
  preview_.Stop();
  undo_.reset();
  history_.Clear();
  song_.reset();
  entry_.pending.clear();
}

int CEditSession::CurrentChannel() const {
  if (position_.track < 0 || position_.track >= TrackCount()) return kMasterChannel;
  return channelTable_[static_cast<std::size_t>(position_.track)];
}

std::string CEditSession::PositionWording(std::int64_t tick) const {
  return FormatPositionAt(position_, tick, Settings().positionUnit, Settings().abbreviatedReading);
}

const CMidiTrack* CEditSession::CurrentTrack() const {
  return song_ ? static_cast<const CMidi1Data&>(*song_).Track(position_.track) : nullptr;
}

CMidiTrack* CEditSession::MutableCurrentTrack() {
  position_.eventIndex = -1;
  return song_ ? song_->Track(position_.track) : nullptr;
}

int CEditSession::CheckedEventIndex() const {
  const CMidiTrack* track = CurrentTrack();
  if (!track || position_.eventIndex < 0 || position_.eventIndex >= track->EventCount()) return -1;
  return position_.eventIndex;
}

void CEditSession::SetTick(std::int64_t tick) {
  position_.tick = std::clamp<std::int64_t>(tick, 0, kMaxTick);
}

void CEditSession::RaiseEndTick(std::int64_t tick) {
  position_.endTick = std::max(position_.endTick, tick);
}

void CEditSession::CollectTimeSignatures() {
  position_.timeSignatures.clear();
  const CMidiTrack* master = song_ ? static_cast<const CMidi1Data&>(*song_).Track(0) : nullptr;
  if (master) {
    for (const TimeSignatureMark& mark : zentory::CollectTimeSignatures(*master)) {
      if (position_.timeSignatures.size() == kMaxTimeSignatures) break;
      position_.timeSignatures.push_back({mark.numerator, mark.power, mark.tick});
    }
  }
  if (position_.timeSignatures.empty()) position_.timeSignatures.push_back({4, 2, 0});
}

void CEditSession::ClampEditTarget() {
  const int count = TrackCount();
  for (int i = std::max(count, 0); i < kChannelTableSize; ++i) {
    channelTable_[static_cast<std::size_t>(i)] = kMasterChannel;
  }
  if (count <= 1) {
    position_.track = 0;
  } else {
    position_.track = std::clamp(position_.track, 0, count - 1);
  }
}

bool CEditSession::CheckNoteChannel() {
  const int channel = CurrentChannel();
  if (channel >= 0 && channel < 16) return true;
  Announce(edit_texts::kNoChannelTrack);
  return false;
}

void CEditSession::FinishTimeMove() {
  UpdateStatusFields();
  Announce(PositionWording());
  PreviewChordAtPosition();
}

bool CEditSession::ExecuteCommand(int command) {
  const std::int64_t resolution = std::max(EffectiveResolution(position_), 4);
  const SettingsBlock& s = Settings();
  switch (command) {
    case command::kNewSong:
      TakeUndoSnapshot();
      NewSong();
      filePath_.clear();
      MarkSaved();
      return true;
    case command::kFileStatus:
      AnnounceFileStatus();
      return true;
    case command::kUndoFurther:
      UndoFurther();
      return true;
    case command::kRedo:
      Redo();
      return true;
    case command::kAddTrack:
      AddTrack();
      return true;
    case command::kDeleteTrack:
      DeleteTrack();
      return true;
    case command::kPlaySong:
      Play(0, -1, false);
      return true;
    case command::kPlayFromPosition:
      Play(position_.tick, -1, false);
      return true;
    case command::kPlayChannels:
      Play(0, -1, true);
      return true;
    case command::kPlayChannelsFromPosition:
      Play(position_.tick, -1, true);
      return true;
    case command::kPlayRange:
    case command::kPlayRangeChannels:
      PlayRange(command == command::kPlayRangeChannels);
      return true;
    case command::kLoad:
      LoadFile();
      return true;
    case command::kSave:
      SaveFile();
      return true;
    case command::kInsertMarker:
      InsertMarker();
      return true;
    case command::kNextTrack:
    case command::kPreviousTrack:
      StepTrack(command == command::kNextTrack ? 1 : -1);
      return true;
    case command::kChannelUp:
    case command::kChannelDown:
      StepChannel(command == command::kChannelUp ? 1 : -1);
      return true;
    case command::kMasterTrack:
      SelectMasterTrack();
      return true;
    case command::kReadMmlValues:
      ReadOutMmlValues();
      return true;
    case command::kTempo:
      StartTempoEntry();
      return true;
    case command::kKeySignature:
      StartKeySignatureEntry();
      return true;
    case command::kPitchBend:
      StartPitchBendEntry();
      return true;
    case command::kPan:
      StartPanEntry();
      return true;
    case command::kProgram:
      StartProgramBrowser();
      return true;
    case command::kVolumeUp:
    case command::kVolumeDown:
      StepVolume(command == command::kVolumeUp ? 1 : -1);
      return true;
    case command::kUndo:
      Undo();
      return true;
    case command::kRangeStart:
      SetRangeStart();
      return true;
    case command::kRangeEnd:
      SetRangeEnd();
      return true;
    case command::kCopy:
      CopyRange();
      return true;
    case command::kPaste:
      PasteCopyBuffer();
      return true;
    case command::kTransposeUp:
    case command::kTransposeDown:
      TransposeRange(command == command::kTransposeUp ? 1 : -1);
      return true;
    case command::kClearRange:
      ClearRange();
      return true;
    case command::kAnnouncePosition:
      Announce(PositionWording());
      return true;
    case command::kNextBar:
    case command::kPreviousBar:
      MoveByBar(command == command::kNextBar ? 1 : -1);
      return true;
    case command::kNextBeat:
    case command::kPreviousBeat:
      MoveByGrid(resolution, command == command::kNextBeat ? 1 : -1);
      return true;
    case command::kNextEighth:
    case command::kPreviousEighth:
      MoveByGrid(resolution / 2, command == command::kNextEighth ? 1 : -1);
      return true;
    case command::kNextSixteenth:
    case command::kPreviousSixteenth:
      MoveByGrid(resolution / 4, command == command::kNextSixteenth ? 1 : -1);
      return true;
    case command::kSongHead:
      MoveToTick(0);
      return true;
    case command::kSongEnd:
      MoveToTick(position_.endTick);
      return true;
    case command::kNextEventTick:
    case command::kPreviousEventTick:
      MoveToEventTick(command == command::kNextEventTick ? 1 : -1);
      return true;
    case command::kNextEvent:
    case command::kPreviousEvent:
      StepEvent(command == command::kNextEvent ? 1 : -1, false, false);
      return true;
    case command::kNextSameKind:
    case command::kPreviousSameKind:
      StepEvent(command == command::kNextSameKind ? 1 : -1, true, false);
      return true;
    case command::kNextSameCommand:
    case command::kPreviousSameCommand:
      StepEvent(command == command::kNextSameCommand ? 1 : -1, true, true);
      return true;
    case command::kNextMarker:
    case command::kPreviousMarker:
      StepMarker(command == command::kNextMarker ? 1 : -1);
      return true;
    case command::kForwardMinTicks:
    case command::kBackMinTicks:
      StepTicks(s.minTickStep > 0 ? s.minTickStep : 1,
                command == command::kForwardMinTicks ? 1 : -1);
      return true;
    case command::kForwardStdTicks:
    case command::kBackStdTicks:
      StepTicks(s.stdTickStep > 0 ? s.stdTickStep : 10,
                command == command::kForwardStdTicks ? 1 : -1);
      return true;
    default:
      break;
  }
  if (command >= command::kTargetChannelFirst && command < command::kTargetChannelFirst + 16) {
    SelectTrackOfChannel(command - command::kTargetChannelFirst);
    return true;
  }
  return false;
}

}  // namespace zentory
