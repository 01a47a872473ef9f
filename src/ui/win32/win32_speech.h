// The voice of the Windows window, chosen with --speech: SAPI 5, the running screen reader, or
// none. Owns whichever it started.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/ports/speech.h"

namespace zentory {

class CWin32Speech {
 public:
  CWin32Speech();
  ~CWin32Speech();
  CWin32Speech(const CWin32Speech&) = delete;
  CWin32Speech& operator=(const CWin32Speech&) = delete;

  // Starts WHICH ("sapi", "screenreader" or "none") for WINDOW; null without a voice. Each
  // problem is one line in PROBLEMS. The SAPI voice takes the user's readings from
  // READINGSFOLDER/readings.txt (empty: none).
  ISpeechSynth* Start(std::string_view which, HWND window, std::vector<std::string>& problems,
                      const std::string& readingsFolder);
  // True when the running screen reader speaks: it reads message boxes by itself.
  bool ScreenReader() const { return screenReader_; }

 private:
  std::unique_ptr<ISpeechSynth> voice_;
  bool screenReader_ = false;
};

}  // namespace zentory
