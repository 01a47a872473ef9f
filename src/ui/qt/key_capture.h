// The keyboard hook of the desktop window: an application-wide event filter that takes every key
// event addressed to the main window, once, before any of its widgets, and hands it to the sink
// as a Windows virtual-key code with the Ctrl, Shift and Alt states. Keys for other windows (a
// message box, a dialog) pass untouched, so those can always be answered and closed.
#pragma once

#include <QObject>

#include "base/ports/key_source.h"

class QKeyEvent;
class QWidget;

namespace zentory {

struct KeyStroke {
  int vk = 0;  // 0: a key without a virtual-key code
  int ctrl = 0, shift = 0, alt = 0;
};
// The virtual-key code and modifier state of EVENT. The modifiers are the state with the key
// itself counted (Alt pressed alone arrives with alt 1; releasing it gives alt 0).
KeyStroke TranslateKeyEvent(const QKeyEvent& event);

class CQtKeySource : public QObject, public IKeySource {
  Q_OBJECT

 public:
  // WINDOW is the main window; not owned.
  explicit CQtKeySource(QWidget* window);
  ~CQtKeySource() override;

  bool Install(IKeySink* sink) override;
  void Remove() override;
  bool Installed() const override { return sink_ != nullptr; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  IKeySink* sink_ = nullptr;
};

}  // namespace zentory
