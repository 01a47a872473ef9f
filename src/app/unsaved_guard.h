// The guard before quitting, making a new song and loading while the song has unsaved changes:
// the first request only warns; the same command again within ten seconds, with no change in
// between, goes on.
#pragma once

#include <cstdint>
#include <string>

#include "app/command_table.h"

namespace zentory {

class CUnsavedGuard {
 public:
  static constexpr std::int64_t kConfirmMs = 10000;

  // True when COMMAND may go on now: the song is unchanged, or this is the confirming request.
  // Otherwise the request is remembered and the caller says Warning().
  bool Allow(int command, bool changed, std::uint64_t stateId, std::int64_t nowMs);
  // What the first request says for COMMAND (kQuit, kNewSong, kLoad), its key named as menu
  // mode names it.
  static std::string Warning(int command, const CKeyTable& keys);

 private:
  int command_ = 0;
  std::uint64_t stateId_ = 0;
  std::int64_t askedMs_ = 0;
};

}  // namespace zentory
