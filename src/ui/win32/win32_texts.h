// Every text the Windows window shows or writes, in one place (UTF-8).
#pragma once

namespace zentory::win32_texts {

inline constexpr const char* kTitle = "ゼントリー";
inline constexpr const char* kVoiceLabel = "音声";
inline constexpr const char* kRateLabel = "速度";
inline constexpr const char* kVolumeLabel = "音量";
inline constexpr const char* kFormatLabel = "出力形式";
inline constexpr const char* kTestButton = "テスト";
inline constexpr const char* kGuideLabel = "ガイド内容";
inline constexpr const char* kPositionLabel = "編集対象";
inline constexpr const char* kOkButton = "OK";
inline constexpr const char* kCancelButton = "キャンセル";

inline constexpr const char* kAboutMenuItem = "Zentory のﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr const char* kAboutTitle = "Zentoryのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* kAboutText = "Zentory Version 1.0";

inline constexpr const char* kTextInputTitle = "テキスト入力";
inline constexpr const char* kOpenTitle = "開く";
inline constexpr const char* kSaveTitle = "名前を付けて保存";
inline constexpr const char* kDialogFont = "MS UI Gothic";

inline constexpr const char* kUsage =
    "使い方: zentory [--speech sapi|screenreader|none] [--midi none|N|名前の一部]\n"
    "               [--midi-log FILE] [--echo] [--quit-after MS] [--config DIR|--user-config]\n"
    "        zentory --midi list\n"
    "        zentory [--config DIR|--user-config] --reading TEXT\n"
    "        zentory --script FILE [--speech ...] [--midi ...] [--midi-log FILE] [--config ...]\n";
inline constexpr const char* kBadOption = "使えないオプションです";

// Backends that could not be had; named once after the first announcement and on standard error.
inline constexpr const char* kMissingHead = "次の機能を使えません。それ以外の機能で続けます。";
inline constexpr const char* kNoSapi = "SAPI 5 の音声 (--speech sapi)";
inline constexpr const char* kNoSapiVoice = "音声がインストールされていません";
inline constexpr const char* kNoScreenReader = "スクリーンリーダーへの通知 (--speech screenreader)";
inline constexpr const char* kFallbackToSapi = "。SAPI 5 の音声で読み上げます";
inline constexpr const char* kNoAudioDevice = "音声出力装置 (waveOut)";
// Started from a folder that cannot be written: the settings go to the user's folder instead.
inline constexpr const char* kReadOnlyFolder = "設定を書き込めないフォルダー ";
inline constexpr const char* kUsingUserFolder = "。設定は次のフォルダーに保存します: ";
inline constexpr const char* kNoEndpointVolume =
    "the output's volume cannot be read (Core Audio), it is left as it is: ";

}  // namespace zentory::win32_texts
