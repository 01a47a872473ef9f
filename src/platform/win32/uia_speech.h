// Announcements handed to the running screen reader (NVDA, Narrator, ...) as UI Automation
// notification events of the main window, processed "most recent" so the newest one wins. The
// screen reader speaks them in the user's own voice and shows them on a braille display. The
// functions come from UIAutomationCore.dll at run time: a Windows without them falls back to SAPI.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>
#include <uiautomationcore.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/ports/speech.h"

namespace zentory {

// The values of UI Automation's NotificationKind and NotificationProcessing this code uses.
inline constexpr int kUiaNotificationKindOther = 4;
inline constexpr int kUiaNotificationProcessingMostRecent = 3;

using UiaRaiseNotificationEventFn = HRESULT(WINAPI*)(IRawElementProviderSimple* provider, int kind,
                                                     int processing, BSTR text, BSTR activityId);
using UiaHostProviderFromHwndFn = HRESULT(WINAPI*)(HWND window,
                                                   IRawElementProviderSimple** provider);

class CUiaSpeech : public ISpeechSynth {
 public:
  // RAISE is the loaded UiaRaiseNotificationEvent; PROVIDER the window's element (a reference is
  // taken). ONFAILURE hears, once, of a notification that could not be raised.
  CUiaSpeech(UiaRaiseNotificationEventFn raise, IRawElementProviderSimple* provider,
             std::function<void(const std::string&)> onFailure = {});
  ~CUiaSpeech() override;
  CUiaSpeech(const CUiaSpeech&) = delete;
  CUiaSpeech& operator=(const CUiaSpeech&) = delete;

  // Loads UIAutomationCore.dll and takes WINDOW's element; null (PROBLEM set) when the system
  // lacks the notification call.
  static std::unique_ptr<CUiaSpeech> Create(HWND window, std::string& problem,
                                            std::function<void(const std::string&)> onFailure);

  // The screen reader's own voice: no list, no rate, no volume of ours to set.
  std::vector<std::string> Voices() override { return {}; }
  int CurrentVoice() override { return -1; }
  bool SelectVoice(int index) override { return index == -1; }
  void Speak(std::string_view text) override;
  bool SetRate(int rate) override;
  std::optional<int> Rate() override { return rate_; }
  bool SetVolume(int volume) override;
  std::optional<int> Volume() override { return volume_; }
  std::optional<AudioFormat> OutputFormat() override { return std::nullopt; }
  bool SetOutputFormat(const AudioFormat&) override { return false; }

 private:
  UiaRaiseNotificationEventFn raise_;
  IRawElementProviderSimple* provider_;
  std::function<void(const std::string&)> onFailure_;
  HMODULE module_ = nullptr;  // UIAutomationCore.dll when Create loaded it
  int rate_ = 0;              // kept only so the window's sliders stay where the user put them
  int volume_ = 100;
  bool failureSaid_ = false;
};

}  // namespace zentory
