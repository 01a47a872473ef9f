// Message boxes, the text-input dialog and the file dialogs of the desktop window, and the
// queue of messages posted to the main window.
#pragma once

#include <QDialog>
#include <QObject>
#include <functional>
#include <string>

#include "base/ports/dialogs.h"
#include "base/ports/main_window_post.h"
#include "base/ports/speech.h"

class QLineEdit;
class QWidget;

namespace zentory {

// Application-modal boxes with an OK button and no icon. A box asked for on another thread is
// shown on the user-interface thread while that thread waits.
class CQtMessageBox : public QObject, public IMessageBox {
  Q_OBJECT

 public:
  // PARENT: the main window (may be null). Lives on the user-interface thread.
  explicit CQtMessageBox(QWidget* parent);
  // The box text is also spoken by VOICE when given: with the keyboard taken by the window, a
  // box nobody reads out would leave a blind user stuck without knowing why.
  void SetVoice(ISpeechSynth* voice) { voice_ = voice; }
  int Show(std::string_view text) override;

 private:
  int ShowHere(const std::string& text);
  QWidget* parent_;
  ISpeechSynth* voice_ = nullptr;
};

// Dialog 129: one line of text, OK and cancel.
class CTextInputDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CTextInputDialog(QWidget* parent);
  // The text the user confirmed, cut to 254 CP932 bytes; empty after a cancel.
  std::string Text() const { return text_; }
  QLineEdit* Edit() const { return edit_; }

 protected:
  void accept() override;

 private:
  QLineEdit* edit_;
  std::string text_;
};

// Gives the keyboard focus back to the main window after a dialog, with or without a window
// manager.
void GiveFocusBack(QWidget* window);

// Turns a Windows filter ("MIDI (*.mid)|*.mid;*.midi|All (*.*)|*.*||") into a Qt one; a Qt
// filter is returned as it is.
QString QtFileFilter(std::string_view filter);

class CQtDialogs : public IDialogs {
 public:
  explicit CQtDialogs(QWidget* parent) : parent_(parent) {}
  std::optional<std::string> OpenFile(std::string_view defaultExtension,
                                      std::string_view filter) override;
  std::optional<std::string> SaveFile(std::string_view defaultExtension,
                                      std::string_view filter) override;
  std::string TextInput() override;

 private:
  QWidget* parent_;
};

// WM_APP + 10 / + 11 as queued events, handled on the user-interface thread in posting order.
class CQtMainWindowPost : public QObject, public IMainWindowPost {
  Q_OBJECT

 public:
  void SetHandler(std::function<void(int)> handler) { handler_ = std::move(handler); }
  void Post(int message) override;

 protected:
  bool event(QEvent* event) override;

 private:
  std::function<void(int)> handler_;
};

}  // namespace zentory
