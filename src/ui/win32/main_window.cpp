#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "base/text_codec.h"
#include "base/wide_text_win32.h"
#include "ui/win32/win32_texts.h"

namespace zentory {

namespace {


constexpr wchar_t kClassName[] = L"ZentoryMainWindow";
// The core posts its own messages in WM_APP .. WM_APP + 0xFF (playback ended, play reports, the
// quit pause, the recovery write, ...); the window's own come after them.
constexpr UINT kFirstCoreMessage = WM_APP;
constexpr UINT kLastCoreMessage = WM_APP + 0xFF;
constexpr UINT kMsgRunOnUi = WM_APP + 0x100;  // wParam: the function to run, owned by the message
constexpr UINT_PTR kAboutCommand = 0x10;
constexpr UINT_PTR kQuitTimer = 1;

// The control ids of the window, as the key table and the screen readers know them.
enum ControlId : int {
  kIdOk = IDOK,
  kIdTest = 1000,
  kIdGuide = 1004,
  kIdPosition = 1005,
  kIdPositionLabel = 1007,
  kIdTrack = 1008,
  kIdVoices = 1011,
  kIdRate = 1014,
  kIdVolume = 1015,
  kIdFormats = 1018,
};

HMENU IdMenu(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

CWin32MainWindow::CWin32MainWindow() : uiThread_(GetCurrentThreadId()) {
  INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &CWin32MainWindow::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(128));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  std::wstring title = WideFromUtf8(win32_texts::kTitle);
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, title.c_str(),
                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                          CW_USEDEFAULT, 560, 430, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) return;
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  CreateControls();
  if (HMENU system = GetSystemMenu(hwnd_, FALSE)) {
    std::wstring about = WideFromUtf8(win32_texts::kAboutMenuItem);
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, kAboutCommand, about.c_str());
  }
}

CWin32MainWindow::~CWin32MainWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void CWin32MainWindow::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  auto make = [&](const wchar_t* cls, std::string_view text, DWORD style, int x, int y, int w,
                  int h, int id, DWORD exStyle = 0) {
    std::wstring wide = WideFromUtf8(text);
    HWND child = CreateWindowExW(exStyle, cls, wide.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w,
                                 h, hwnd_, IdMenu(id), instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return child;
  };
  const DWORD label = SS_LEFT;
  make(L"STATIC", win32_texts::kVoiceLabel, label, 12, 14, 80, 18, -1);
  voices_ = make(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 96, 10, 430, 200,
                 kIdVoices);
  make(L"STATIC", win32_texts::kRateLabel, label, 12, 48, 80, 18, -1);
  rate_ =
      make(TRACKBAR_CLASSW, "", TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, 96, 42, 430, 30, kIdRate);
  make(L"STATIC", win32_texts::kVolumeLabel, label, 12, 84, 80, 18, -1);
  volume_ =
      make(TRACKBAR_CLASSW, "", TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, 96, 78, 430, 30, kIdVolume);
  make(L"STATIC", win32_texts::kFormatLabel, label, 12, 120, 80, 18, -1);
  formats_ = make(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 96, 116, 330, 200,
                  kIdFormats);
  make(L"BUTTON", win32_texts::kTestButton, BS_PUSHBUTTON | WS_TABSTOP, 436, 114, 90, 26, kIdTest);
  make(L"STATIC", win32_texts::kGuideLabel, label, 12, 154, 100, 18, -1);
  guide_ = make(L"EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                12, 174, 514, 120, kIdGuide, WS_EX_CLIENTEDGE);
  make(L"STATIC", win32_texts::kPositionLabel, label, 12, 306, 80, 18, kIdPositionLabel);
  position_ = make(L"EDIT", "", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 96, 302, 300, 24,
                   kIdPosition, WS_EX_CLIENTEDGE);
  track_ = make(L"EDIT", "", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 406, 302, 120, 24, kIdTrack,
                WS_EX_CLIENTEDGE);
  make(L"BUTTON", win32_texts::kOkButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 436, 346, 90, 28, kIdOk);
}

LRESULT CALLBACK CWin32MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CWin32MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (self->hwnd_ == nullptr) self->hwnd_ = hwnd;
  return self->Handle(msg, wp, lp);
}

LRESULT CWin32MainWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      if (id == kIdOk && code == BN_CLICKED) {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      } else if (id == kIdTest && code == BN_CLICKED) {
        if (handlers_.testButton) handlers_.testButton();
      } else if (id == kIdVoices && code == CBN_SELCHANGE && !filling_) {
        if (handlers_.voiceSelected) handlers_.voiceSelected();
      } else if (id == kIdFormats && code == CBN_SELCHANGE && !filling_) {
        if (handlers_.formatSelected) handlers_.formatSelected();
      }
      return 0;
    }
    case WM_HSCROLL: {
      HWND from = reinterpret_cast<HWND>(lp);
      if (!filling_ && from == rate_ && handlers_.rateSlider) {
        handlers_.rateSlider(SliderPosition(Slider::kRate));
      } else if (!filling_ && from == volume_ && handlers_.volumeSlider) {
        handlers_.volumeSlider(SliderPosition(Slider::kVolume));
      }
      return 0;
    }
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == kAboutCommand) {
        std::wstring text = WideFromUtf8(win32_texts::kAboutText);
        std::wstring title = WideFromUtf8(win32_texts::kAboutTitle);
        MessageBoxW(hwnd_, text.c_str(), title.c_str(), MB_OK);
        TakeFocus();
        return 0;
      }
      break;
    case WM_TIMER:
      if (wp == kQuitTimer) {
        KillTimer(hwnd_, kQuitTimer);
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      }
      return 0;
    case WM_CLOSE:
      if (!closing_) {
        closing_ = true;
        if (handlers_.closing) handlers_.closing();
      }
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_ENDSESSION:
      // The process may end as soon as this returns: what is unsaved goes to its recovery file.
      if (wp && handlers_.sessionEnding) handlers_.sessionEnding();
      return 0;
    case kMsgRunOnUi: {
      std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(wp));
      if (fn && *fn) (*fn)();
      return 0;
    }
    default:
      if (msg >= kFirstCoreMessage && msg <= kLastCoreMessage) {
        if (handlers_.posted) handlers_.posted(static_cast<int>(msg));
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void CWin32MainWindow::CloseAfter(int ms) {
  if (hwnd_ != nullptr) SetTimer(hwnd_, kQuitTimer, static_cast<UINT>(ms), nullptr);
}

void CWin32MainWindow::Show() {
  if (hwnd_ == nullptr) return;
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  TakeFocus();
}

void CWin32MainWindow::TakeFocus() {
  if (hwnd_ == nullptr || !IsWindow(hwnd_)) return;
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  // The guide box holds the focus, so a screen reader follows the announcements.
  SetFocus(guide_ != nullptr ? guide_ : hwnd_);
}

int CWin32MainWindow::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  hwnd_ = nullptr;  // destroyed by WM_CLOSE
  return 0;
}

void CWin32MainWindow::SetGuideText(std::string_view text) {
  if (guide_ != nullptr) {
    // The edit box breaks lines at CR LF only.
    std::string crlf;
    for (char c : text) {
      if (c == '\n') crlf.push_back('\r');
      crlf.push_back(c);
    }
    SetWindowTextW(guide_, WideFromUtf8(crlf).c_str());
  }
  if (echo_) {
    std::string line = EchoLine("say: ", text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  }
}

void CWin32MainWindow::SetPositionField(std::string_view text) {
  if (position_ != nullptr) SetWindowTextW(position_, WideFromUtf8(text).c_str());
}

void CWin32MainWindow::SetTrackField(std::string_view text) {
  if (track_ != nullptr) SetWindowTextW(track_, WideFromUtf8(text).c_str());
}

void CWin32MainWindow::FillList(HWND list, const std::vector<std::string>& rows, int selected) {
  if (list == nullptr) return;
  filling_ = true;
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const auto& row : rows) {
    std::wstring wide = WideFromUtf8(row);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  filling_ = false;
}

void CWin32MainWindow::SetVoiceList(const std::vector<std::string>& rows, int selected) {
  FillList(voices_, rows, selected);
}

int CWin32MainWindow::SelectedVoice() const {
  return voices_ ? static_cast<int>(SendMessageW(voices_, CB_GETCURSEL, 0, 0)) : -1;
}

void CWin32MainWindow::SetFormatList(const std::vector<std::string>& rows, int selected) {
  FillList(formats_, rows, selected);
}

int CWin32MainWindow::SelectedFormat() const {
  return formats_ ? static_cast<int>(SendMessageW(formats_, CB_GETCURSEL, 0, 0)) : -1;
}

HWND CWin32MainWindow::SliderOf(Slider slider) const {
  return slider == Slider::kRate ? rate_ : volume_;
}

void CWin32MainWindow::SetSliderRange(Slider slider, int min, int max, int page) {
  HWND s = SliderOf(slider);
  if (s == nullptr) return;
  filling_ = true;
  SendMessageW(s, TBM_SETRANGEMIN, FALSE, min);
  SendMessageW(s, TBM_SETRANGEMAX, TRUE, max);
  SendMessageW(s, TBM_SETPAGESIZE, 0, page);
  filling_ = false;
}

void CWin32MainWindow::SetSliderPosition(Slider slider, int position) {
  HWND s = SliderOf(slider);
  if (s == nullptr) return;
  filling_ = true;
  SendMessageW(s, TBM_SETPOS, TRUE, position);
  filling_ = false;
}

int CWin32MainWindow::SliderPosition(Slider slider) const {
  HWND s = SliderOf(slider);
  return s ? static_cast<int>(SendMessageW(s, TBM_GETPOS, 0, 0)) : 0;
}

void CWin32MainWindow::Close() {
  // Closing runs after the command that asked for it has returned, as the close box would.
  if (hwnd_ != nullptr) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void CWin32MainWindow::Post(int message) {
  if (hwnd_ != nullptr) PostMessageW(hwnd_, static_cast<UINT>(message), 0, 0);
}

void CWin32MainWindow::RunOnUiThread(std::function<void()> fn) {
  if (OnUiThread() || hwnd_ == nullptr) {
    fn();
    return;
  }
  auto queued = std::make_unique<std::function<void()>>(std::move(fn));
  if (PostMessageW(hwnd_, kMsgRunOnUi, reinterpret_cast<WPARAM>(queued.get()), 0)) {
    queued.release();  // the message owns it now
  }
}

}  // namespace zentory
