// Message boxes, the text-input dialog and the common file dialogs of the Windows window. Every
// one is modal to the main window, and the keyboard goes back to the main window after it.
#pragma once

#include <string>

#include "base/ports/dialogs.h"
#include "base/ports/speech.h"

namespace zentory {

class CWin32MainWindow;

// A box asked for on another thread is shown on the user-interface thread; the asking thread does
// not wait for it.
class CWin32MessageBox : public IMessageBox {
 public:
  // WINDOW: the main window; not owned.
  explicit CWin32MessageBox(CWin32MainWindow* window) : window_(window) {}
  // The box text is also spoken by VOICE when given: with the keyboard taken by the window, a
  // box nobody reads out would leave a blind user stuck without knowing why.
  void SetVoice(ISpeechSynth* voice) { voice_ = voice; }
  int Show(std::string_view text) override;

 private:
  void ShowHere(const std::string& text);
  CWin32MainWindow* window_;
  ISpeechSynth* voice_ = nullptr;
};

class CWin32Dialogs : public IDialogs {
 public:
  explicit CWin32Dialogs(CWin32MainWindow* window) : window_(window) {}
  std::optional<std::string> OpenFile(std::string_view defaultExtension,
                                      std::string_view filter) override;
  std::optional<std::string> SaveFile(std::string_view defaultExtension,
                                      std::string_view filter) override;
  std::string TextInput() override;

 private:
  std::optional<std::string> FileDialog(bool save, std::string_view defaultExtension,
                                        std::string_view filter);
  CWin32MainWindow* window_;
};

}  // namespace zentory
