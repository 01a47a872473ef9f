// Message boxes and the modal dialogs that take the keyboard from the command layer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zentory {

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  // Shows TEXT (UTF-8; "\n" breaks lines) with an OK button and no icon, modal to the whole
  // application, and returns 1 when it is closed. May be called from any thread: a backend shows
  // the box on its user-interface thread while the calling thread waits.
  virtual int Show(std::string_view text) = 0;
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // The open-file dialog. Returns the full chosen path, or nothing when the user cancels.
  virtual std::optional<std::string> OpenFile(std::string_view defaultExtension,
                                              std::string_view filter) = 0;
  // The save-file dialog; it asks before overwriting an existing file.
  virtual std::optional<std::string> SaveFile(std::string_view defaultExtension,
                                              std::string_view filter) = 0;
  // The text-input dialog ("テキスト入力"). Returns the typed text (UTF-8, at most 254 CP932
  // bytes) or the empty text when cancelled.
  virtual std::string TextInput() = 0;
};

}  // namespace zentory
