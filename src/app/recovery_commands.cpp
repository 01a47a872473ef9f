// The main window's part in recovery: this run's files follow the changed song, the start-up
// names a song an earlier run left, and the restore command brings it back.
#include <ctime>
#include <filesystem>

#include "app/app_texts.h"
#include "app/main_dialog.h"
#include "app/recovery_writer.h"
#include "base/error_report.h"
#include "edit/command_ids.h"
#include "edit/edit_texts.h"
#include "song/load_song.h"

namespace zentory {

namespace {

// The runs whose files are kept when the program starts.
constexpr std::size_t kRunsKept = 3;

CRecoveryWriter::Job MakeJob(const CEditSession& session) {
  CRecoveryWriter::Job job{*session.Song(), {}};
  job.note.songPath = session.FilePath();
  job.note.track = session.Position().track;
  job.note.tick = session.Position().tick;
  job.note.channels = session.Channels();
  return job;
}

}  // namespace

void CMainDialog::StartRecovery(std::string& startNotes) {
  if (platform_.appDir.empty() || platform_.processId == 0) return;
  PruneRecoveryFiles(platform_.appDir, kRunsKept, {});
  if (!ListRecoveryFiles(platform_.appDir).empty()) {
    std::string key = SpokenKeysOf(command::kRestoreRecovery, *keyTable_);
    if (key.empty()) {
      key = std::string(texts::kMenuItemHead) +
            FindCommandEntry(command::kRestoreRecovery)->description;
    }
    if (!startNotes.empty()) startNotes += ' ';
    startNotes += std::string(texts::kRecoveryHead) + key + texts::kRecoveryTail;
  }
  recovery_ = std::make_unique<CRecoveryWriter>(
      platform_.appDir, RecoveryBaseName(std::time(nullptr), platform_.processId),
      platform_.backgroundRecovery, platform_.clock, platform_.timers, platform_.post);
}

void CMainDialog::RecoveryDue() {
  if (!recovery_ || !session_.Song()) return;
  if (!session_.Changed()) {
    recovery_->Discard();
    return;
  }
  recovery_->Submit(MakeJob(session_));
  // An earlier write failed: said once a run, in a box that does not cut off the voice.
  if (recovery_->TakeFailure()) ShowMessageBox(texts::kRecoveryWriteFailed);
}

void CMainDialog::DiscardRecoveryWhenSaved() {
  if (recovery_ && recovery_->HasFiles() && !session_.Changed()) recovery_->Discard();
}

void CMainDialog::WriteRecoveryNow() {
  if (recovery_ && session_.Song() && session_.Changed()) recovery_->WriteNow(MakeJob(session_));
}

void CMainDialog::StopRecovery() {
  if (!recovery_) return;
  // A song closed unsaved stays recoverable; a saved one leaves nothing behind.
  if (session_.Song() && session_.Changed()) {
    recovery_->WriteNow(MakeJob(session_));
  } else {
    recovery_->Discard();
  }
  recovery_.reset();
}

void CMainDialog::RestoreRecovery() {
  std::vector<std::string> files;
  if (!platform_.appDir.empty()) {
    for (std::string& path : ListRecoveryFiles(platform_.appDir)) {
      const bool own =
          recovery_ && std::filesystem::path(path).stem().string() == recovery_->BaseName();
      if (!own) files.push_back(std::move(path));
    }
  }
  if (files.empty()) {
    Announce(edit_texts::kNothingToRecover);
    return;
  }
  // Each press goes one run further back, round to the newest again.
  const std::string& path = files[restoreIndex_++ % files.size()];
  LoadedSong loaded = LoadSongFile(path);
  if (!loaded.song) {
    Announce(edit_texts::kNotLoaded);
    return;
  }
  const RecoveryNote note = ReadRecoveryNote(path);
  ChannelTable channels;
  if (note.channels) {
    channels = *note.channels;
  } else {
    channels.fill(kMasterChannel);
    for (int i = 0; i < loaded.song->TrackCount() && i < kChannelTableSize; ++i) {
      channels[static_cast<std::size_t>(i)] =
          EditorChannelOf(*loaded.song->Tracks()[static_cast<std::size_t>(i)]);
    }
  }
  session_.RestoreSong(std::move(loaded.song), channels, note.track, note.tick);
  session_.SetFilePath(note.songPath);
  Announce(std::string(edit_texts::kRecovered) + session_.PositionWording());
}

}  // namespace zentory
