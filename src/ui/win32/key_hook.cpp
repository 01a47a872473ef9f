#include "ui/win32/key_hook.h"

#include "ui/win32/win32_ui_logic.h"

namespace zentory {

namespace {

// The one installed hook; the hook procedure has no other way to reach it.
CWin32KeyHook* g_hook = nullptr;

int Held(int vk) { return (GetKeyState(vk) & 0x8000) != 0 ? 1 : 0; }

}  // namespace

CWin32KeyHook::CWin32KeyHook(HWND window) : window_(window) {}

CWin32KeyHook::~CWin32KeyHook() { Remove(); }

bool CWin32KeyHook::Install(IKeySink* sink) {
  if (sink == nullptr) return false;
  sink_ = sink;
  if (hook_ != nullptr) return true;
  hook_ = SetWindowsHookExW(WH_KEYBOARD, &CWin32KeyHook::HookProc, nullptr, GetCurrentThreadId());
  if (hook_ == nullptr) {
    sink_ = nullptr;
    return false;
  }
  g_hook = this;
  return true;
}

void CWin32KeyHook::Remove() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  sink_ = nullptr;
  if (g_hook == this) g_hook = nullptr;
}

LRESULT CALLBACK CWin32KeyHook::HookProc(int code, WPARAM wp, LPARAM lp) {
  CWin32KeyHook* self = g_hook;
  HHOOK hook = self != nullptr ? self->hook_ : nullptr;
  const bool mainActive =
      self != nullptr && self->sink_ != nullptr && GetActiveWindow() == self->window_;
  const auto action = win32ui::RouteHookKey(
      code, static_cast<std::uint32_t>(static_cast<DWORD_PTR>(lp)), mainActive);
  if (action == win32ui::HookAction::kPass) return CallNextHookEx(hook, code, wp, lp);
  const int key = static_cast<int>(wp);
  const int ctrl = Held(VK_CONTROL);
  const int shift = Held(VK_SHIFT);
  const int alt = Held(VK_MENU);
  // A handler may remove or replace the hook (a dialog, a value entry): the next hook is called
  // first, with the handle that is still valid.
  CallNextHookEx(hook, code, wp, lp);
  IKeySink* sink = self->sink_;
  if (action == win32ui::HookAction::kDeliverDown) {
    sink->OnKeyDown(key, ctrl, shift, alt);
  } else if (action == win32ui::HookAction::kDeliverRepeat) {
    sink->OnKeyRepeat(key, ctrl, shift, alt);
  } else {
    sink->OnKeyUp(key, ctrl, shift, alt);
  }
  return 1;
}

}  // namespace zentory
