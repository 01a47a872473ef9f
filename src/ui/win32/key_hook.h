// The keyboard hook of the Windows window: a thread keyboard hook (WH_KEYBOARD) on the
// user-interface thread that hands every key of the main window to the sink before any control
// sees it and then discards it, so Return and Escape never close the window. Keys of a message
// box or dialog pass on to it.
#pragma once

#include <windows.h>

#include "base/ports/key_source.h"

namespace zentory {

class CWin32KeyHook : public IKeySource {
 public:
  // WINDOW is the main window. One hook exists at a time: the hook procedure is a plain function
  // and reaches the object through the process-wide pointer it sets.
  explicit CWin32KeyHook(HWND window);
  ~CWin32KeyHook() override;
  CWin32KeyHook(const CWin32KeyHook&) = delete;
  CWin32KeyHook& operator=(const CWin32KeyHook&) = delete;

  bool Install(IKeySink* sink) override;
  void Remove() override;
  bool Installed() const override { return hook_ != nullptr; }

 private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wp, LPARAM lp);
  HWND window_;
  HHOOK hook_ = nullptr;
  IKeySink* sink_ = nullptr;
};

}  // namespace zentory
