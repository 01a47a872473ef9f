#include "ui/qt/key_capture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "ui/qt/key_codes.h"

namespace zentory {

KeyStroke TranslateKeyEvent(const QKeyEvent& event) {
  KeyStroke k;
  const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
  if (const quint32 native = event.nativeScanCode(); native != 0) {
    // Num Lock decides what a keypad key is; its text tells which it was.
    const QString text = event.text();
    const bool digit =
        text.size() == 1 && (text[0].isDigit() || text[0] == u'.' || text[0] == u',');
    k.vk = VirtualKeyFromX11(native, digit);
  }
  if (k.vk == 0) k.vk = VirtualKeyFromQtKey(event.key(), keypad);
  const Qt::KeyboardModifiers m = event.modifiers();
  k.ctrl = m.testFlag(Qt::ControlModifier) ? 1 : 0;
  k.shift = m.testFlag(Qt::ShiftModifier) ? 1 : 0;
  k.alt = m.testFlag(Qt::AltModifier) ? 1 : 0;
  const int own = event.type() == QEvent::KeyPress ? 1 : 0;
  switch (k.vk) {
    case 0x11:
      k.ctrl = own;
      break;
    case 0x10:
      k.shift = own;
      break;
    case 0x12:
      k.alt = own;
      break;
    default:
      break;
  }
  return k;
}

CQtKeySource::CQtKeySource(QWidget* window) : window_(window) {}

CQtKeySource::~CQtKeySource() { Remove(); }

bool CQtKeySource::Install(IKeySink* sink) {
  if (sink == nullptr || QCoreApplication::instance() == nullptr) return false;
  if (sink_ == nullptr) QCoreApplication::instance()->installEventFilter(this);
  sink_ = sink;
  return true;
}

void CQtKeySource::Remove() {
  if (sink_ != nullptr && QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeEventFilter(this);
  }
  sink_ = nullptr;
}

bool CQtKeySource::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) {
    return false;
  }
  if (sink_ == nullptr) return false;
  // A key event reaches the window first, then its focus widget: acting at the window level is
  // acting once, before any widget. Keys of other windows (boxes, dialogs) are theirs.
  QWindow* mainWindow = window_->windowHandle();
  if (mainWindow == nullptr) return false;
  if (type == QEvent::ShortcutOverride) {
    // Claims the key for the window, so no shortcut of a widget takes it first.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == window_) {
      event->accept();
      return true;
    }
    return false;
  }
  if (watched != mainWindow) {
    // Never let a widget of the main window see a key the hook has taken.
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && widget->window() == window_;
  }
  auto* key = static_cast<QKeyEvent*>(event);
  const KeyStroke k = TranslateKeyEvent(*key);
  IKeySink* sink = sink_;
  if (k.vk != 0) {
    if (type == QEvent::KeyPress && key->isAutoRepeat()) {
      sink->OnKeyRepeat(k.vk, k.ctrl, k.shift, k.alt);
    } else if (type == QEvent::KeyPress) {
      sink->OnKeyDown(k.vk, k.ctrl, k.shift, k.alt);
    } else if (!key->isAutoRepeat()) {
      sink->OnKeyUp(k.vk, k.ctrl, k.shift, k.alt);
    }
  }
  return true;
}

}  // namespace zentory
