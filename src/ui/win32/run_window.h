// The Windows desktop front end: builds the backends, the window and the main window object, runs
// the window until it closes and shuts everything down in order.
#pragma once

#include <string>
#include <vector>

#include "platform/wiring/app_folders.h"

namespace zentory {

// Options: --speech sapi|screenreader|none (default sapi), --echo (every announcement also to
// standard output as "say: TEXT"), --midi VALUE, --midi-log FILE, --quit-after MS. FOLDERS
// chooses the settings folder; DATADIR holds the shipped files. Returns the process exit code.
int RunWin32Window(const std::vector<std::string>& args, const FolderChoice& folders,
                   const std::string& dataDir);

}  // namespace zentory
