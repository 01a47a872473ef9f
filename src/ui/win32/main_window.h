// The Windows main window "ゼントリー": the voice controls, the guide text, the two status fields
// and the OK button, with the about item in the system menu. It shows what the core tells it
// through IWindowView, reports the user's control changes and receives the posted messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/ports/main_window_post.h"
#include "base/ports/window_view.h"

namespace zentory {

class CWin32MainWindow : public IWindowView, public IMainWindowPost {
 public:
  CWin32MainWindow();
  ~CWin32MainWindow() override;
  CWin32MainWindow(const CWin32MainWindow&) = delete;
  CWin32MainWindow& operator=(const CWin32MainWindow&) = delete;

  bool Created() const { return hwnd_ != nullptr; }
  HWND Handle() const { return hwnd_; }

  struct Handlers {
    std::function<void()> testButton;
    std::function<void()> voiceSelected;
    std::function<void()> formatSelected;
    std::function<void(int)> rateSlider;
    std::function<void(int)> volumeSlider;
    std::function<void(int)>
        posted;  // the core's messages (WM_APP .. WM_APP + 0xFF), on the UI thread
    std::function<void()> closing;        // once, before the window goes (close box, OK, Close())
    std::function<void()> sessionEnding;  // Windows logs off or shuts down (WM_ENDSESSION)
  };
  void SetHandlers(Handlers handlers) { handlers_ = std::move(handlers); }
  // Writes every guide text to standard output as "say: TEXT".
  void SetEcho(bool echo) { echo_ = echo; }
  // Closes the window as the close box would after MS milliseconds (scripted checks).
  void CloseAfter(int ms);
  // Shows the window and gives it the keyboard.
  void Show();
  // Puts the keyboard back on the window after a box or a dialog.
  void TakeFocus();
  // Runs the message loop until the window is gone; returns the exit code.
  int Run();

  // IWindowView
  void SetGuideText(std::string_view text) override;
  void SetPositionField(std::string_view text) override;
  void SetTrackField(std::string_view text) override;
  void SetVoiceList(const std::vector<std::string>& rows, int selected) override;
  int SelectedVoice() const override;
  void SetFormatList(const std::vector<std::string>& rows, int selected) override;
  int SelectedFormat() const override;
  void SetSliderRange(Slider slider, int min, int max, int page) override;
  void SetSliderPosition(Slider slider, int position) override;
  int SliderPosition(Slider slider) const override;
  void Close() override;

  // IMainWindowPost
  void Post(int message) override;

  // Runs FN on the UI thread: at once when called there, else queued, and the calling thread goes
  // on without waiting (a waiting play or timer thread could deadlock against the UI thread
  // stopping it).
  void RunOnUiThread(std::function<void()> fn);
  bool OnUiThread() const { return GetCurrentThreadId() == uiThread_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  HWND SliderOf(Slider slider) const;
  void FillList(HWND list, const std::vector<std::string>& rows, int selected);

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  DWORD uiThread_ = 0;
  Handlers handlers_;
  bool echo_ = false;
  bool closing_ = false;
  bool filling_ = false;  // the core fills a list or moves a slider: no handler runs
  HWND voices_ = nullptr;
  HWND formats_ = nullptr;
  HWND rate_ = nullptr;
  HWND volume_ = nullptr;
  HWND guide_ = nullptr;
  HWND position_ = nullptr;
  HWND track_ = nullptr;
};

}  // namespace zentory
