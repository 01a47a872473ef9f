#include "app/keyboard_hook.h"

#include <utility>

namespace zentory {

CKeyboardHook::CKeyboardHook(IKeySource* source) : source_(source) {}

CKeyboardHook::~CKeyboardHook() { Remove(); }

bool CKeyboardHook::Install() {
  if (installed_) return true;
  if (!source_ || !source_->Install(this)) return false;
  installed_ = true;
  return true;
}

void CKeyboardHook::Remove() {
  if (installed_ && source_) source_->Remove();
  installed_ = false;
}

void CKeyboardHook::SetKeyHandlers(KeyHandler down, KeyHandler up) {
  down_ = std::move(down);
  up_ = std::move(up);
}

void CKeyboardHook::OnKeyDown(int key, int ctrl, int shift, int alt) {
  Deliver(down_, key, ctrl, shift, alt);
}

void CKeyboardHook::OnKeyRepeat(int key, int ctrl, int shift, int alt) {
  repeating_ = true;
  Deliver(down_, key, ctrl, shift, alt);
  repeating_ = false;
}

void CKeyboardHook::OnKeyUp(int key, int ctrl, int shift, int alt) {
  Deliver(up_, key, ctrl, shift, alt);
}

void CKeyboardHook::Deliver(const KeyHandler& handler, int key, int ctrl, int shift, int alt) {
  if (!installed_) return;
  ctrl_ = ctrl ? 1 : 0;
  shift_ = shift ? 1 : 0;
  alt_ = alt ? 1 : 0;
  if (!handler) return;
  // A handler may replace the handlers while it runs; call a copy so the running one stays alive.
  KeyHandler call = handler;
  call(key, ctrl_, shift_, alt_);
}

}  // namespace zentory
