// The decisions of the Windows front end that need no Win32 call: which key events the keyboard
// hook takes, how a file filter and a default extension reach the common dialogs, and how the
// voice settings of the window map onto SAPI. Kept apart so they are tested on every system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentory::win32ui {

// What the thread keyboard hook does with one call.
enum class HookAction {
  kPass,           // hand the call on and return its result: not ours to take
  kDeliverDown,    // give the press to the sink, then discard it
  kDeliverUp,      // give the release to the sink, then discard it
  kDeliverRepeat,  // give the auto-repeat of a held key to the sink, then discard it
};

inline constexpr int kHcNoRemove = 3;  // the message is only being looked at
inline constexpr std::uint32_t kKeyUpFlag = 0x80000000u;
inline constexpr std::uint32_t kWasDownFlag = 0x40000000u;  // a press of a key already held

// CODE and FLAGS are the hook's code and lParam; MAINWINDOWACTIVE says whether the main window is
// the thread's active window. Keys of a message box or dialog stay theirs, so those can always be
// answered and closed from the keyboard.
HookAction RouteHookKey(int code, std::uint32_t flags, bool mainWindowActive);

// A filter in the "Name|*.mid|Other|*.*|" form (a Qt-style or empty one allowed) as the common
// dialogs take it: name, pattern, ..., each ended by a NUL, the list ended by a second NUL. Every
// list ends with the entry for all files, so a song saved as .midi can still be opened.
std::string CommonDialogFilter(std::string_view filter);

// "mid", ".mid" and "*.mid" all name the extension "mid" the save dialog adds when the user typed
// none; anything with a wildcard left or a separator yields none.
std::string DefaultExtension(std::string_view extension);

// The voice rate of the window (-10..10) and volume (0..100) as SAPI takes them: the same ranges,
// clamped, so a damaged setup.ini cannot hand the voice a value it refuses.
long SapiRate(int rate);
unsigned short SapiVolume(int volume);

// True when a SAPI voice's "Language" attribute (hexadecimal LANGIDs separated by ';', such as
// "411" or "409;411") names Japanese.
bool IsJapaneseLanguageAttribute(std::string_view attribute);

// The voice the first start selects: the first Japanese one, else the first one; -1 when there
// is no voice. LANGUAGES holds each voice's "Language" attribute in list order.
int FirstStartVoice(const std::vector<std::string>& languages);

}  // namespace zentory::win32ui
