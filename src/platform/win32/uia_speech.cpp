#include "platform/win32/uia_speech.h"

#include <algorithm>
#include <cstdio>

#include "base/wide_text_win32.h"

namespace zentory {

namespace {

constexpr wchar_t kActivityId[] = L"Zentory.Announcement";

// GetProcAddress's result as the function type it is (through the generic function type, which
// the compiler accepts for any function).
template <typename Fn>
Fn Function(HMODULE module, const char* name) {
  FARPROC proc = GetProcAddress(module, name);
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

CUiaSpeech::CUiaSpeech(UiaRaiseNotificationEventFn raise, IRawElementProviderSimple* provider,
                       std::function<void(const std::string&)> onFailure)
    : raise_(raise), provider_(provider), onFailure_(std::move(onFailure)) {
  if (provider_ != nullptr) provider_->AddRef();
}

CUiaSpeech::~CUiaSpeech() {
  if (provider_ != nullptr) provider_->Release();
  provider_ = nullptr;
  if (module_ != nullptr) FreeLibrary(module_);
}

std::unique_ptr<CUiaSpeech> CUiaSpeech::Create(HWND window, std::string& problem,
                                               std::function<void(const std::string&)> onFailure) {
  HMODULE module = LoadLibraryW(L"UIAutomationCore.dll");
  if (module == nullptr) {
    problem = "UIAutomationCore.dll";
    return nullptr;
  }
  auto raise = Function<UiaRaiseNotificationEventFn>(module, "UiaRaiseNotificationEvent");
  auto host = Function<UiaHostProviderFromHwndFn>(module, "UiaHostProviderFromHwnd");
  IRawElementProviderSimple* provider = nullptr;
  if (raise == nullptr || host == nullptr) {
    problem = "UiaRaiseNotificationEvent";
  } else if (FAILED(host(window, &provider)) || provider == nullptr) {
    problem = "UiaHostProviderFromHwnd";
  }
  if (!problem.empty()) {
    FreeLibrary(module);
    return nullptr;
  }
  // The window's host element is the provider the notifications come from; the screen reader
  // knows it as the window "ゼントリー".
  auto speech = std::make_unique<CUiaSpeech>(raise, provider, std::move(onFailure));
  provider->Release();  // the object holds its own reference
  speech->module_ = module;
  return speech;
}

void CUiaSpeech::Speak(std::string_view text) {
  // A screen reader cannot be told to stop; the next notification supersedes this one.
  if (text.empty() || raise_ == nullptr) return;
  std::wstring wide = WideFromUtf8(text);
  BSTR display = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  BSTR activity = SysAllocString(kActivityId);
  HRESULT hr = E_OUTOFMEMORY;
  if (display != nullptr && activity != nullptr) {
    hr = raise_(provider_, kUiaNotificationKindOther, kUiaNotificationProcessingMostRecent, display,
                activity);
  }
  SysFreeString(display);
  SysFreeString(activity);
  if (FAILED(hr) && !failureSaid_) {
    failureSaid_ = true;
    char code[32];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    if (onFailure_) onFailure_(std::string("UiaRaiseNotificationEvent ") + code);
  }
}

bool CUiaSpeech::SetRate(int rate) {
  rate_ = std::clamp(rate, -10, 10);
  return true;
}

bool CUiaSpeech::SetVolume(int volume) {
  volume_ = std::clamp(volume, 0, 100);
  return true;
}

}  // namespace zentory
