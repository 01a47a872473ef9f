// The recovery files of the settings folder: recovery-YYYYMMDD-HHMMSS-<process id>.mid (the song
// as a save writes it) and a .txt beside it (the song's file path, the edit track and tick, the
// channel table), so that a song not saved before a crash, a kill or a logout can be restored.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "song/channel_values.h"
#include "song/midi_data.h"

namespace zentory {

struct RecoveryNote {
  std::string songPath;  // empty: a new song
  int track = 1;
  std::int64_t tick = 0;
  std::optional<ChannelTable> channels;  // absent in a note without the line
};

// "recovery-20261207-043336-4711" for a run started at START (local time) as process PID.
std::string RecoveryBaseName(std::time_t start, long pid);
// The .mid files of every run in FOLDER, newest first (their names sort by start time).
std::vector<std::string> ListRecoveryFiles(const std::string& folder);
// Deletes the .mid and .txt of every run but the newest KEEP; OWNBASE's files are never deleted.
void PruneRecoveryFiles(const std::string& folder, std::size_t keep, const std::string& ownBase);
// Writes SONG and NOTE as BASE.mid and BASE.txt in FOLDER, each through a temporary file, flushed
// and renamed. Reports nothing (it runs beside the user's work); false when a file failed.
bool WriteRecoveryFiles(const std::string& folder, const std::string& base, const CMidi1Data& song,
                        const RecoveryNote& note);
// Deletes BASE.mid and BASE.txt in FOLDER.
void RemoveRecoveryFiles(const std::string& folder, const std::string& base);
// The note beside MIDPATH (its .txt); defaults where it is missing or unreadable.
RecoveryNote ReadRecoveryNote(const std::string& midPath);

}  // namespace zentory
