// Every text the desktop window shows or writes, in one place (UTF-8).
#pragma once

namespace zentory::ui_texts {

inline constexpr const char* kTitle = "ゼントリー";
inline constexpr const char* kVoiceLabel = "音声";
inline constexpr const char* kRateLabel = "速度";
inline constexpr const char* kVolumeLabel = "音量";
inline constexpr const char* kFormatLabel = "出力形式";
inline constexpr const char* kTestButton = "テスト";
inline constexpr const char* kGuideLabel = "ガイド内容";
inline constexpr const char* kPositionLabel = "編集対象";
inline constexpr const char* kOkButton = "OK";

inline constexpr const char* kAboutMenuItem = "Zentory のﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr const char* kAboutTitle = "Zentoryのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* kAboutText = "Zentory Version 1.0";

inline constexpr const char* kTextInputTitle = "テキスト入力";
inline constexpr const char* kTextInputLabel = "入力する文字列";
inline constexpr const char* kOpenTitle = "開く";
inline constexpr const char* kSaveTitle = "名前を付けて保存";

inline constexpr const char* kUsage =
    "使い方: zentory [--speech embedded|speechd|none] [--midi embedded|none|N|名前の一部]\n"
    "               [--midi-log FILE] [--echo] [--config DIR|--user-config]\n"
    "        zentory --midi list\n"
    "        zentory --script FILE [--speech ...] [--midi ...] [--midi-log FILE] [--config ...]\n";
inline constexpr const char* kNoJapaneseQtTexts =
    "Qt's Japanese texts (qtbase_ja.qm, package qt6-translations-l10n) are missing; the file "
    "dialogs' buttons stay in English";
inline constexpr const char* kBadOption = "使えないオプションです";

}  // namespace zentory::ui_texts
