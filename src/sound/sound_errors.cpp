#include "sound/sound_errors.h"

namespace zentory {

namespace {

constexpr ErrorText kMdctTexts[] = {
    {mdct::kOpenFailed,
     "Midiデバイスのオープンに失敗しました。連続して発生する場合は、ＰＣを再起動してください。"},
    {mdct::kCloseFailed, "Midiデバイスのクローズに失敗しました。"},
    {mdct::kProgramChange, "Midiデバイスで音色を変更できませんでした。"},
    {mdct::kSysEx, "Midiデバイスでエクスクルーシブを送れませんでした。"},
    {mdct::kBadParameter, "Midiのパラメータに誤りがあります。"},
};
constexpr ErrorModule kMdct("MDCT", kMdctTexts, "Midi制御でエラーが発生しました。");

constexpr ErrorText kMdplTexts[] = {
    {mdpl::kResolution, "分解能が大きすぎます。"},
    {mdpl::kNoTimer, "タイマーが使用できませんでした。"},
    {mdpl::kTempoTooSlow, "設定されているテンポが遅すぎます。"},
    {mdpl::kInternal, "Midiの演奏機能で内部エラーが起きました。"},
    {mdpl::kBadPosition, "再生位置に誤りがあります。"},
    {mdpl::kBadTempo, "テンポに誤りがあります。"},
    {mdpl::kBadData, "演奏情報に誤りがあります。"},
};
constexpr ErrorModule kMdpl("MDPL", kMdplTexts, "Midiの演奏機能でエラーが発生しました。");

constexpr ErrorText kMdspTexts[] = {
    {mdsp::kInternal, "Midiの演奏機能で内部エラーが発生しました。"},
};
constexpr ErrorModule kMdsp("MDSP", kMdspTexts, "Midiの演奏機能でエラーが発生しました。");

}  // namespace

const ErrorModule& MdctModule() { return kMdct; }
const ErrorModule& MdplModule() { return kMdpl; }
const ErrorModule& MdspModule() { return kMdsp; }

void RouteReport(const ReportRoute& route, const std::string& text) {
  if (route) {
    route(text);
  } else {
    ShowMessageBox(text);
  }
}

}  // namespace zentory
