// The desktop front end: builds the backends, the window and the main window object, runs the
// window until it closes and shuts everything down in order.
#pragma once

namespace zentory {

// Options: --speech embedded|speechd|none (default embedded), --echo (every announcement also
// to standard output as "say: TEXT"), --midi VALUE (accepted for key-script compatibility).
// Returns the process exit code.
int RunQtWindow(int argc, char** argv);

}  // namespace zentory
