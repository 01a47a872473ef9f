// The keyboard hook: while installed, every key from the key source goes to the key handler in
// force and nowhere else. Commands swap the handlers (value entries, dialogs) and put the main
// handler back when they end.
#pragma once

#include <functional>

#include "base/ports/key_source.h"

namespace zentory {

// (virtual-key code, ctrl, shift, alt); the last three are 0 or 1.
using KeyHandler = std::function<void(int key, int ctrl, int shift, int alt)>;

class CKeyboardHook : public IKeySink {
 public:
  // SOURCE is not owned and must outlive the hook. Nothing is installed yet.
  explicit CKeyboardHook(IKeySource* source);
  ~CKeyboardHook() override;
  CKeyboardHook(const CKeyboardHook&) = delete;
  CKeyboardHook& operator=(const CKeyboardHook&) = delete;

  // Takes the keyboard; true at once when already installed.
  bool Install();
  // Gives the keyboard back; harmless when not installed.
  void Remove();
  bool Installed() const { return installed_; }

  // Replaces both handlers at once; an empty UP means releases do nothing. Safe to call from
  // inside a handler: the change applies from the next key.
  void SetKeyHandlers(KeyHandler down, KeyHandler up);

  // The key source delivers here. Keys that arrive while the hook is removed are dropped.
  void OnKeyDown(int key, int ctrl, int shift, int alt) override;
  void OnKeyUp(int key, int ctrl, int shift, int alt) override;
  // Delivered to the key-down handler like a press; Repeating() is true meanwhile.
  void OnKeyRepeat(int key, int ctrl, int shift, int alt) override;
  bool Repeating() const { return repeating_; }

  // The modifier state of the last key event.
  int Ctrl() const { return ctrl_; }
  int Shift() const { return shift_; }
  int Alt() const { return alt_; }

 private:
  void Deliver(const KeyHandler& handler, int key, int ctrl, int shift, int alt);

  IKeySource* source_;
  bool installed_ = false;
  KeyHandler down_;
  KeyHandler up_;
  int ctrl_ = 0, shift_ = 0, alt_ = 0;
  bool repeating_ = false;
};

}  // namespace zentory
