#include "ui/win32/dialogs.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <cstdint>
#include <vector>

#include "base/text_codec.h"
#include "base/wide_text_win32.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_texts.h"
#include "ui/win32/win32_ui_logic.h"

namespace zentory {

namespace {


constexpr std::size_t kTextInputMaxBytes = 254;  // CP932 bytes, the NUL of the buffer excluded
constexpr int kTextEditId = 1001;
constexpr std::size_t kPathChars = 260;  // MAX_PATH: a full path of up to 259 characters

HWND Owner(CWin32MainWindow* window) { return window != nullptr ? window->Handle() : nullptr; }

// A dialog template built in memory: the text-input dialog needs no resource file.
class CDialogTemplate {
 public:
  void Header(DWORD style, int items, short cx, short cy, std::string_view title,
              std::string_view font, WORD points) {
    Dword(style);
    Dword(0);  // extended style
    words_.push_back(static_cast<WORD>(items));
    Shorts({0, 0, cx, cy});
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    String(title);
    words_.push_back(points);
    String(font);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, int id, WORD atom,
            std::string_view text) {
    if (words_.size() % 2 != 0) words_.push_back(0);  // items start on a DWORD
    Dword(WS_CHILD | WS_VISIBLE | style);
    Dword(0);
    Shorts({x, y, cx, cy});
    words_.push_back(static_cast<WORD>(id));
    words_.push_back(0xFFFF);
    words_.push_back(atom);
    String(text);
    words_.push_back(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Dword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void Shorts(std::initializer_list<short> values) {
    for (short v : values) words_.push_back(static_cast<WORD>(v));
  }
  void String(std::string_view text) {
    for (wchar_t c : WideFromUtf8(text)) words_.push_back(static_cast<WORD>(c));
    words_.push_back(0);
  }
  // WORDs are enough for the alignment a template needs once the buffer itself is DWORD-aligned,
  // which the allocator guarantees.
  std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;

struct TextInputState {
  std::string text;
};

INT_PTR CALLBACK TextInputProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lp);
      reinterpret_cast<TextInputState*>(lp)->text.clear();
      SetFocus(GetDlgItem(dialog, kTextEditId));
      return FALSE;  // the focus is placed
    }
    case WM_COMMAND: {
      auto* state = reinterpret_cast<TextInputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (LOWORD(wp) == IDOK) {
        HWND edit = GetDlgItem(dialog, kTextEditId);
        const int length = GetWindowTextLengthW(edit);
        std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
        const int got = GetWindowTextW(edit, wide.data(), length + 1);
        wide.resize(static_cast<std::size_t>(got > 0 ? got : 0));
        if (state != nullptr) {
          // Characters CP932 cannot hold are kept, so the marker command can say they were lost.
          state->text = Utf8CutToCp932Length(Utf8FromWide(wide), kTextInputMaxBytes);
        }
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        if (state != nullptr) state->text.clear();
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int CWin32MessageBox::Show(std::string_view text) {
  if (window_ != nullptr) {
    window_->RunOnUiThread([this, copy = std::string(text)] { ShowHere(copy); });
  } else {
    ShowHere(std::string(text));
  }
  return 1;
}

void CWin32MessageBox::ShowHere(const std::string& text) {
  if (voice_ != nullptr) voice_->Speak(text);
  std::wstring body;
  for (wchar_t c : WideFromUtf8(text)) {
    if (c == L'\n') body.push_back(L'\r');
    body.push_back(c);
  }
  std::wstring title = WideFromUtf8(win32_texts::kTitle);
  MessageBoxW(Owner(window_), body.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
  if (window_ != nullptr) window_->TakeFocus();
}

std::optional<std::string> CWin32Dialogs::OpenFile(std::string_view defaultExtension,
                                                   std::string_view filter) {
  return FileDialog(false, defaultExtension, filter);
}

std::optional<std::string> CWin32Dialogs::SaveFile(std::string_view defaultExtension,
                                                   std::string_view filter) {
  return FileDialog(true, defaultExtension, filter);
}

std::optional<std::string> CWin32Dialogs::FileDialog(bool save, std::string_view defaultExtension,
                                                     std::string_view filter) {
  std::wstring filterW = WideFromUtf8(win32ui::CommonDialogFilter(filter));
  std::wstring extension = WideFromUtf8(win32ui::DefaultExtension(defaultExtension));
  std::wstring title = WideFromUtf8(save ? win32_texts::kSaveTitle : win32_texts::kOpenTitle);
  std::vector<wchar_t> path(kPathChars, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Owner(window_);
  ofn.lpstrFilter = filterW.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = static_cast<DWORD>(path.size());
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // The settings folder is the current folder of the start; browsing must not move it.
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  ofn.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
  const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) CommDlgExtendedError();  // a cancel and a failure both leave the song as it is
  if (window_ != nullptr) window_->TakeFocus();
  if (!chosen) return std::nullopt;
  return Utf8FromWide(path.data());
}

std::string CWin32Dialogs::TextInput() {
  CDialogTemplate t;
  t.Header(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 3, 242, 68,
           win32_texts::kTextInputTitle, win32_texts::kDialogFont, 9);
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 12, 222, 14, kTextEditId, kEditAtom, "");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 124, 42, 50, 16, IDOK, kButtonAtom, win32_texts::kOkButton);
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 182, 42, 50, 16, IDCANCEL, kButtonAtom,
         win32_texts::kCancelButton);
  TextInputState state;
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), Owner(window_), &TextInputProc,
                          reinterpret_cast<LPARAM>(&state));
  if (window_ != nullptr) window_->TakeFocus();
  return state.text;
}

}  // namespace zentory
