// The play commands: what is played, handed to the player; any play key stops a running play.
#include <algorithm>

#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "song/format_conversion.h"
#include "sound/midi_out_device.h"

namespace zentory {

namespace {
constexpr int kVolumeController = 7;
constexpr int kPanController = 10;
constexpr int kDefaultVolume = 127;
// A track without a pan event sounds in the centre.
constexpr int kCentrePan = 64;
}  // namespace

void CEditSession::Play(std::int64_t from, std::int64_t to, bool filter) {
  IPlayback* playback = services_.playback;
  if (!playback || !song_) return;
  if (playback->Active()) {
    // The editor's device comes back with the edit target's program and volume.
    playback->Stop();
    Announce(edit_texts::kPlaybackEnded);
    return;
  }
  if (to < 0) to = song_->SongLength() + 1;
  preview_.Stop();
  std::unique_ptr<CMidi0Data> data = MakePlayerData(*song_, from, to);
  if (!data) return;
  playback->Start(*data, filter ? services_.channelPlayState : nullptr);
}

void CEditSession::PlayRange(bool filter) {
  IPlayback* playback = services_.playback;
  if (playback && playback->Active()) {
    Play(0, -1, filter);  // stops it
    return;
  }
  if (rangeStart_ < 0 || rangeEnd_ < 0) {
    Announce(edit_texts::kNoRange);
    return;
  }
  // Marks set the wrong way round still name the stretch between them.
  Play(std::min(rangeStart_, rangeEnd_), std::max(rangeStart_, rangeEnd_), filter);
}

void CEditSession::SendTrackState(bool withPan) {
  CMidiOutDevice* out = OpenOutput();
  const int channel = CurrentChannel();
  if (!out || !song_ || channel < 0 || channel > 15) return;
  out->SendProgramChange(ProgramInEffect(*song_, channelTable_, channel, position_.tick), channel);
  out->SendControlChange(
      ControllerInEffect(*song_, channelTable_, channel, kVolumeController, position_.tick)
          .value_or(kDefaultVolume),
      kVolumeController, channel);
  if (withPan) {
    out->SendControlChange(
        ControllerInEffect(*song_, channelTable_, channel, kPanController, position_.tick)
            .value_or(kCentrePan),
        kPanController, channel);
  }
}

}  // namespace zentory
