// New song, adding and deleting tracks, and choosing the edit target.
#include <algorithm>

#include "base/text_format.h"
#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "edit/track_edits.h"
#include "song/event_names.h"
#include "sound/midi_out_device.h"

namespace zentory {

namespace {

CMusicEvent MakePitchBendCentre(int channel) {
  CMusicEvent e;
  e.status = ev::kPitchBend;
  e.channel = channel;
  e.key = 0;
  e.value = 64;
  const std::uint8_t bytes[] = {0xE0, 0, 64};
  e.SetData(bytes);
  return e;
}

std::int32_t EndDelta(std::int64_t endTick) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(endTick, 0, INT32_MAX));
}

}  // namespace

void CEditSession::NewSong(std::string_view notes) {
  constexpr std::int32_t kEnd = 1920;
  preview_.Stop();
  std::vector<std::unique_ptr<CMidiTrack>> tracks;
  channelTable_.fill(kMasterChannel);

  auto master = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  master->AppendTimeSignature(4, 2);
  const std::uint8_t cMajor[] = {0, 0};
  master->AppendMeta(0, ev::kMetaKeySignature, cMajor);
  master->AppendTempo(500000);
  master->AppendEndOfTrack(kEnd);
  tracks.push_back(std::move(master));

  for (int i = 1; i <= 16; ++i) {
    const int c = i - 1;
    channelTable_[static_cast<std::size_t>(i)] = c;
    auto track = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
    if (c != kDrumChannel) track->AppendProgramChange(c, 0);  // the rhythm channel keeps its kit
    track->AppendControlChange(c, 7, 127);
    track->AppendControlChange(c, 101, 0);
    track->AppendControlChange(c, 100, 0);
    track->AppendControlChange(c, 6, 2);
    track->Events().push_back(MakePitchBendCentre(c));
    track->AppendControlChange(c, 10, 64);
    track->AppendEndOfTrack(kEnd);
    tracks.push_back(std::move(track));
  }

  song_ = std::make_unique<CMidi1Data>();
  song_->resolution = 480;
  song_->state = song_state::kNoteForm;
  song_->SetTracks(std::move(tracks));
  position_ = CEditPosition{};
  entry_.resolution = song_->resolution;

  // The output follows channel 1, the channel of the edit target.
  if (CMidiOutDevice* out = OpenOutput()) {
    out->SendProgramChange(0, 0);
    out->SendControlChange(127, 7, 0);
    out->SendControlChange(0, 101, 0);
    out->SendControlChange(0, 100, 0);
    out->SendControlChange(2, 6, 0);
    out->SendControlChange(64, 10, 0);
  }

  std::string text = std::string(edit_texts::kNewSong) + PositionWording();
  if (!notes.empty()) {
    text += ' ';
    text += notes;
  }
  Announce(text);
  UpdateStatusFields();
}

void CEditSession::AddTrack() {
  if (!song_) return;
  const int n = song_->TrackCount();
  if (n >= kMaxTracks) {
    Announce(edit_texts::kTooManyTracks);
    return;
  }
  TakeUndoSnapshot();
  // The least-used channel, the lowest on a tie.
  std::array<int, 16> uses{};
  for (int i = 1; i < n; ++i) {
    int c = channelTable_[static_cast<std::size_t>(i)];
    if (c >= 0 && c < 16) ++uses[static_cast<std::size_t>(c)];
  }
  const int channel = static_cast<int>(std::min_element(uses.begin(), uses.end()) - uses.begin());

  auto track = std::make_unique<CMidiTrack>(CDataBuff::kStandardCapacity, CMidiTrack::kNoteForm);
  const bool hasProgram =
      ValueInEffect(*song_, channelTable_, channel, position_.tick, [](const CMusicEvent& e) {
        return e.status == ev::kProgramChange;
      }).has_value();
  if (!hasProgram) {
    track->AppendProgramChange(channel, 0);
  } else {
    // The channel's program is in another track; a file must still say this track's channel.
    const std::uint8_t prefix[] = {static_cast<std::uint8_t>(channel)};
    track->AppendMeta(0, ev::kMetaChannelPrefix, prefix);
  }
  track->AppendEndOfTrack(EndDelta(position_.endTick));
  if (!song_->AppendTrack(std::move(track))) return;

  channelTable_[static_cast<std::size_t>(n)] = channel;
  position_.track = n;
  Announce(texts::FormatNumbers(edit_texts::kTrackAdded, {n}));
  position_.tick = 0;
  position_.eventIndex = -1;
  UpdateStatusFields();
}

void CEditSession::DeleteTrack() {
  if (!song_) return;
  const int count = song_->TrackCount();
  const int target = position_.track;
  if (count <= 1 || target <= 0 || target >= count) {
    Announce(edit_texts::kCannotDeleteMaster);
    return;
  }
  // What goes is named first: the user cannot see which track the target was.
  const CMidiTrack& doomed = *static_cast<const CMidi1Data&>(*song_).Track(target);
  const long long notes = std::count_if(doomed.Events().begin(), doomed.Events().end(),
                                        [](const CMusicEvent& e) { return e.status == ev::kNote; });
  const int doomedChannel = CurrentChannel();
  std::string named;
  if (doomedChannel >= 0 && doomedChannel < 16) {
    named = texts::FormatNumbers(edit_texts::kTrackAndChannel, {target, doomedChannel + 1}) +
            InstrumentName(ProgramInEffect(*song_, channelTable_, doomedChannel, position_.tick));
  } else {
    named = texts::FormatNumbers(edit_texts::kTrackNumber, {target});
  }
  named += texts::FormatNumbers(edit_texts::kNotesDeleted, {notes});
  TakeUndoSnapshot();
  if (!song_->DeleteTrack(target)) return;
  // The channels of the later tracks move down with them.
  std::copy(channelTable_.begin() + target + 1, channelTable_.end(),
            channelTable_.begin() + target);
  channelTable_.back() = kMasterChannel;

  const int left = song_->TrackCount();
  if (left == 1) {
    position_.track = 0;
    Announce(named + edit_texts::kOnlyMasterLeft);
  } else {
    position_.track = 1;
    Announce(named + texts::FormatNumbers(edit_texts::kTracksLeft, {left}));
  }
  position_.tick = 0;
  position_.eventIndex = -1;
  UpdateStatusFields();
}

void CEditSession::SelectMasterTrack() {
  position_.track = 0;
  position_.eventIndex = -1;
  UpdateStatusFields();
  Announce(edit_texts::kMasterTrack);
}

void CEditSession::SelectTrackOfChannel(int channel) {
  const int count = std::min(TrackCount(), kChannelTableSize);
  // From the track after the edit target round to the edit target itself, which is tried last;
  // repeating the command steps through every track of the channel.
  const int start = std::clamp(position_.track, 0, std::max(count - 1, 0));
  for (int step = 1; step <= count; ++step) {
    int track = (start + step) % count;
    if (channelTable_[static_cast<std::size_t>(track)] == channel) {
      position_.track = track;
      position_.eventIndex = -1;
      TrackSelectionFeedback();
      return;
    }
  }
  Announce(edit_texts::kNoTrackOnChannel);
}

void CEditSession::StepTrack(int direction) {
  const int count = TrackCount();
  position_.eventIndex = -1;
  if (count <= 1) {
    // Only the master track is left: there is no track to step to.
    position_.track = 0;
    UpdateStatusFields();
    Announce(edit_texts::kOnlyMasterLeft);
    return;
  }
  int track = position_.track + direction;
  if (track <= 0) track = count - 1;
  if (track >= count) track = 1;
  position_.track = track;
  TrackSelectionFeedback();
}

void CEditSession::StepChannel(int direction) {
  if (!song_ || position_.track <= 0 || position_.track >= TrackCount()) {
    Announce(edit_texts::kNoChannelForMaster);
    return;
  }
  const int index = position_.track;
  const int old = channelTable_[static_cast<std::size_t>(index)];
  // A track without a channel takes the first (or, going down, the last) one.
  const bool hadChannel = old >= 0 && old < 16;
  const int now = hadChannel ? (old + direction + 16) % 16 : (direction > 0 ? 0 : 15);
  const CMidi1Data& song = *song_;
  const CMidiTrack& own = *song.Tracks()[static_cast<std::size_t>(index)];

  std::optional<int> oldProgram;
  for (const CMusicEvent& e : own.Events()) {
    if (e.status == ev::kProgramChange && e.channel == old) {
      oldProgram = e.value;
      break;
    }
  }
  // The program set at the head of the song for the new channel by the other tracks.
  std::optional<int> headProgram;
  for (int i = 1; i < TrackCount() && !headProgram; ++i) {
    if (i == index || channelTable_[static_cast<std::size_t>(i)] != now) continue;
    std::int64_t t = 0;
    for (const CMusicEvent& e : song.Tracks()[static_cast<std::size_t>(i)]->Events()) {
      t += e.delta;
      if (t > 0) break;
      if (e.status == ev::kProgramChange && e.channel == now) headProgram = e.value;
    }
  }

  // A change of the song like any other: it can be undone.
  TakeUndoSnapshot();
  channelTable_[static_cast<std::size_t>(index)] = now;
  std::string message = texts::FormatNumbers(edit_texts::kChannelNumber, {now + 1});
  CMidiTrack* track = MutableCurrentTrack();
  if (headProgram && track->DeleteKind(0, 1, ev::kProgramChange)) {
    message += edit_texts::kProgramsMerged;
  }
  if (hadChannel) RemapChannel(*track, old, now);
  if (CMidiOutDevice* out = OpenOutput()) {
    out->SendProgramChange(
        headProgram.value_or(ProgramInEffect(*song_, channelTable_, now, position_.tick)), now);
  }
  if (oldProgram) {
    // The old channel keeps its sound in the tracks still on it.
    for (int i = 1; i < TrackCount(); ++i) {
      if (i == index || channelTable_[static_cast<std::size_t>(i)] != old) continue;
      const CMidiTrack& other = *static_cast<const CMidi1Data&>(*song_).Track(i);
      bool hasHeadProgram = false;
      std::int64_t t = 0;
      for (const CMusicEvent& e : other.Events()) {
        t += e.delta;
        if (t > 0) break;
        hasHeadProgram = hasHeadProgram || e.status == ev::kProgramChange;
      }
      if (!hasHeadProgram) {
        song_->Track(i)->InsertProgramChangeFirst(old, *oldProgram);
        break;
      }
    }
  }
  Announce(message);
}

void CEditSession::TrackSelectionFeedback() {
  const int channel = CurrentChannel();
  if (channel < 0 || channel > 15) {
    UpdateStatusFields();
    Announce(texts::FormatNumbers(edit_texts::kTrackWithoutChannel, {position_.track}));
    return;
  }
  const int program = song_ ? ProgramInEffect(*song_, channelTable_, channel, position_.tick) : 0;
  SendTrackState(true);
  UpdateStatusFields();
  Announce(texts::FormatNumbers(edit_texts::kTrackAndChannel, {position_.track, channel + 1}) +
           InstrumentName(program));
}

}  // namespace zentory
