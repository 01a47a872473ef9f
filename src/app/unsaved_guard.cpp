#include "app/unsaved_guard.h"

#include "app/app_texts.h"
#include "edit/command_ids.h"

namespace zentory {

bool CUnsavedGuard::Allow(int command, bool changed, std::uint64_t stateId, std::int64_t nowMs) {
  if (!changed) {
    command_ = 0;
    return true;
  }
  const bool confirmed = command_ == command && stateId_ == stateId && nowMs >= askedMs_ &&
                         nowMs - askedMs_ <= kConfirmMs;
  if (confirmed) {
    command_ = 0;
    return true;
  }
  command_ = command;
  stateId_ = stateId;
  askedMs_ = nowMs;
  return false;
}

std::string CUnsavedGuard::Warning(int command, const CKeyTable& keys) {
  std::string text = texts::kUnsavedHead;
  switch (command) {
    case command::kQuit:
      text += texts::kUnsavedQuit;
      break;
    case command::kNewSong:
      text += texts::kUnsavedNewSong;
      break;
    default:
      text += texts::kUnsavedLoad;
      break;
  }
  std::string key = SpokenKeysOf(command, keys);
  if (key.empty()) {
    const CommandEntry* entry = FindCommandEntry(command);
    key = std::string(entry ? entry->description : "") + texts::kChooseInMenu;
  }
  return text + key + texts::kPressAgainTail;
}

}  // namespace zentory
