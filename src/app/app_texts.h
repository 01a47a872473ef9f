// Every text the main window and its commands show or speak, in one place, exactly as the user
// hears it (UTF-8). Texts with a %d take one decimal number (see FormatNumbers).
#pragma once

#include "base/text_format.h"

namespace zentory::texts {

inline constexpr const char* kWindowTitle = "ゼントリー";
inline constexpr const char* kTestSpeech = "あいうえお";

// Start-up, quit and the posted messages.
inline constexpr const char* kQuit = "終了します。";
// Any new key during the pause after kQuit.
inline constexpr const char* kQuitCancelled = "終了を取り消しました。";
// The guard on unsaved changes: kUnsavedHead, the action, the command's key (or its menu name
// and kChooseInMenu), kPressAgainTail.
inline constexpr const char* kUnsavedHead = "保存されていない変更があります。保存せずに";
inline constexpr const char* kUnsavedQuit = "終了するには、もう一度";
inline constexpr const char* kUnsavedNewSong = "新しい曲にするには、もう一度";
inline constexpr const char* kUnsavedLoad = "ファイルを読み込むには、もう一度";
inline constexpr const char* kChooseInMenu = "を選んで";
inline constexpr const char* kPressAgainTail = "を押してください。";
// Added to the start-up announcement, after a blank, when a recovery file is there:
// kRecoveryHead, the restore command's key, kRecoveryTail.
inline constexpr const char* kRecoveryHead = "前回保存されなかった曲があります。";
inline constexpr const char* kRecoveryTail = "で復元できます。";
// A recovery file could not be written (once a run).
inline constexpr const char* kRecoveryWriteFailed =
    "保存されなかった曲を設定フォルダーに書き込めませんでした。こまめに保存してください。";
// The restore command named by its menu item when no key runs it: kMenuItemHead + description.
inline constexpr const char* kMenuItemHead = "メニューの";
// A stored speech volume of 0 with a voice in use.
inline constexpr const char* kSpeechVolumeRaised = "音声の音量が0だったので100にしました。";
inline constexpr const char* kPlaybackEnded = "再生が終了しました。";
inline constexpr const char* kVelocityTooLow = "ベロシティの値が低すぎます。";
// Shown when the keyboard cannot be taken: without it no command can be reached.
inline constexpr const char* kNoKeyboard =
    "キーボードの入力を受け取れませんでした。キー操作による編集はできません。";

// The small commands of the settings category.
inline constexpr const char* kVersion = "バージョン1.09";
// The voice's settings from the keyboard.
inline constexpr const char* kSpeechRate = "話す速さ[%d]";
inline constexpr const char* kSpeechVolume = "音声の音量[%d]";
inline constexpr const char* kNoOtherVoice = "切り替えられる音声がありません。";
inline constexpr const char* kMenuSoundOff = "メニューの背景音をオフにしました。";
inline constexpr const char* kMenuSoundOn = "メニューの背景音をオンにしました。";
inline constexpr const char* kFullReading = "全部読みを設定しました。";
inline constexpr const char* kAbbreviatedReading = "省略読みを設定しました。";
inline constexpr const char* kSixteenthUnit = "１６分音符単位読み";
inline constexpr const char* kTickUnit = "チック単位読みを設定しました。";
inline constexpr const char* kKeyboardInputMode = "キーボード入力モードに切り替えました。";
inline constexpr const char* kMmlInputMode = "MML入力モードに切り替えました。";

// Channel play state.
inline constexpr const char* kChannelNumber = "チャネル[%d]";
inline constexpr const char* kChannelOn = " オン";
inline constexpr const char* kChannelOff = " オフ";

// Notices before a dialog that takes the keyboard away from the voice guidance.
inline constexpr const char* kTextDialogNotice =
    "文字入力のダイアログを表示します。以降、ダイアログを閉じるまで音声案内は行われません。";
inline constexpr const char* kOpenDialogNotice =
    "ファイルを読み込むダイアログを表示します。以降、ダイアログを閉じるまで音声案内は行われません"
    "。";
inline constexpr const char* kSaveDialogNotice =
    "ファイルを保存するダイアログを表示します。以降、ダイアログを閉じるまで音声案内は行われません"
    "。";

// Messages of the key-script front end (standard error, English: they are for the script's
// author, not part of the spoken guidance).
inline constexpr const char* kScriptUsage =
    "usage: zentory [--script FILE|-] [--midi none|embedded|N|NAME] [--midi-log FILE]\n"
    "               [--speech none|embedded|speechd] [--config DIR|--user-config]\n"
    "       zentory --midi list\n";
inline constexpr const char* kCommandLineHelp =
    "使い方: zentory [--speech embedded|speechd|none] [--midi embedded|none|N|名前の一部]\n"
    "               [--midi-log FILE] [--echo] [--quit-after MS] [--config DIR|--user-config]\n"
    "        zentory --script FILE|- [--speech ...] [--midi ...] [--midi-log FILE] [--config ...]\n"
    "        zentory --reading TEXT [--config DIR|--user-config]\n"
    "        zentory --midi list\n"
    "        zentory --help\n"
    "\n"
    "  --speech       音声: embedded (内蔵の音声), speechd (speech-dispatcher), none\n"
    "  --midi         MIDI出力: embedded (内蔵シンセ), none, 番号または名前の一部 (--midi list)\n"
    "  --midi-log     送ったMIDIメッセージをFILEに書く\n"
    "  --echo         読み上げる文を標準出力にも書く\n"
    "  --quit-after   MSミリ秒後にOKボタンと同じように終了する\n"
    "  --config       設定フォルダをDIRにする (省略時は現在のフォルダ)\n"
    "  --user-config  設定フォルダを ~/.config/zentory にする\n"
    "  --script       キースクリプトを実行し、読み上げを標準出力に書く\n"
    "  --reading      TEXTを音声に渡す読みにして表示する\n";
inline constexpr const char* kScriptUnknownKey = "unknown key name";
inline constexpr const char* kScriptUnknownDirective = "unknown directive";
inline constexpr const char* kScriptBadWait = "@wait needs a number of milliseconds";
inline constexpr const char* kScriptDialogMismatch = "answer does not fit the dialog; cancelled";
inline constexpr const char* kScriptCannotOpen = "cannot open the script";
inline constexpr const char* kScriptNoWindow =
    "zentory: this build has no window; run it with --script FILE\n";
inline constexpr const char* kScriptBackendMissing = "is not available; using none";
inline constexpr const char* kScriptBadOption = "bad option";

}  // namespace zentory::texts
