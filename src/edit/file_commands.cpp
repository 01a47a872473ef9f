// Loading and saving the song through the file dialogs, and inserting a typed marker.
#include <filesystem>

#include "base/general.h"
#include "base/text_codec.h"
#include "base/text_format.h"
#include "edit/edit_session.h"
#include "edit/edit_texts.h"
#include "song/load_song.h"
#include "song/smf_writer.h"

namespace zentory {

namespace {

// What the file dialogs offer: Standard MIDI Files, and "mid" added to a name typed without it.
constexpr const char* kSmfExtension = "mid";
constexpr const char* kSmfFilter = "SMF files|*.mid|";

std::string FullPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(PathFromUtf8(path), ec);
  return ec ? path : Utf8FromPath(full.lexically_normal());
}

}  // namespace

void CEditSession::LoadFile() {
  std::optional<std::string> path =
      services_.feedback->RunOpenFileDialog(kSmfExtension, kSmfFilter);
  if (!path || path->empty()) {
    Announce(edit_texts::kNotLoaded);
    return;
  }
  // The song in memory stays until the file has been read whole; a file that cannot be read
  // (reported by the reader) leaves it as it was.
  LoadedSong loaded = LoadSongFile(*path);
  if (!loaded.song) {
    Announce(edit_texts::kNotLoaded);
    return;
  }
  TakeUndoSnapshot();
  ChannelTable channels;
  channels.fill(kMasterChannel);
  const CMidi1Data& song = *loaded.song;
  bool anyChannel = false;
  for (int i = 0; i < song.TrackCount() && i < kChannelTableSize; ++i) {
    channels[static_cast<std::size_t>(i)] =
        EditorChannelOf(*song.Tracks()[static_cast<std::size_t>(i)]);
    anyChannel = anyChannel || (i > 0 && channels[static_cast<std::size_t>(i)] != kMasterChannel);
  }
  position_.track = 1;
  SetSong(std::move(loaded.song), channels);
  // A song of meta events alone is edited in its master track.
  if (!anyChannel) position_.track = 0;
  filePath_ = FullPath(*path);
  MarkSaved();
  UpdateStatusFields();
  Announce(filePath_);
}

void CEditSession::SaveFile() {
  if (!song_) return;
  std::optional<std::string> path =
      services_.feedback->RunSaveFileDialog(kSmfExtension, kSmfFilter);
  if (!path || path->empty()) {
    Announce(edit_texts::kNotSaved);
    return;
  }
  std::vector<std::uint8_t> written;
  if (!WriteSong(*song_, *path, written)) {
    Announce(edit_texts::kNotSaved);
    return;
  }
  // The user hears that the file is there before the song is rebuilt from it, so that the song
  // in memory is what the file holds (its tracks are replaced: no current event).
  filePath_ = FullPath(*path);
  MarkSaved();
  Announce(filePath_);
  position_.eventIndex = -1;
  ReadBackSong(*song_, written);
}

void CEditSession::AnnounceFileStatus() {
  std::string text = filePath_.empty() ? std::string(edit_texts::kNewSongName)
                                       : std::filesystem::path(filePath_).filename().string();
  text += ' ';
  text += Changed() ? edit_texts::kUnsavedState : edit_texts::kSavedState;
  Announce(text);
}

void CEditSession::RestoreSong(std::unique_ptr<CMidi1Data> song, const ChannelTable& channels,
                               int track, std::int64_t tick) {
  TakeUndoSnapshot();
  SetSong(std::move(song), channels);
  position_.track = track;
  ClampEditTarget();
  SetTick(tick);
  UpdateStatusFields();
}

void CEditSession::InsertMarker() {
  const std::string text = services_.feedback->RunTextInputDialog();
  const CMidiTrack* master = song_ ? static_cast<const CMidi1Data&>(*song_).Track(0) : nullptr;
  if (text.empty() || !master) {
    Announce(edit_texts::kNoMarkerInserted);
    return;
  }
  TakeUndoSnapshot();
  CMidiTrack* track = song_->Track(0);
  if (position_.track == 0) position_.eventIndex = -1;
  const std::string stored = Utf8ToCp932(text);
  track->InsertMetaTextAtTime(static_cast<std::int32_t>(position_.tick), ev::kMetaMarker, stored);
  RaiseEndTick(position_.tick);
  // The file keeps CP932 text: what the user hears is what was kept, and what was not is said.
  const std::string kept = Cp932ToUtf8(stored);
  Announce(texts::FormatTexts(edit_texts::kMarkerInserted, {PositionWording(), kept}) +
           (kept == text ? "" : edit_texts::kMarkerCharactersLost));
}

}  // namespace zentory
