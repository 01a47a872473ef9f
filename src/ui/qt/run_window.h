// The desktop front end: builds the backends, the window and the main window object, runs the
// window until it closes and shuts everything down in order.
#pragma once

#include <string>

#include "platform/wiring/app_folders.h"

namespace zentory {

// Options: --speech embedded|speechd|none (default embedded), --echo (every announcement also
// to standard output as "say: TEXT"), --midi VALUE (accepted for key-script compatibility).
// FOLDERS chooses the settings folder (a folder that cannot be had is named in the box of what is
// missing); DATADIR holds the shipped files. Returns the process exit code.
int RunQtWindow(int argc, char** argv, const FolderChoice& folders, const std::string& dataDir);

}  // namespace zentory
