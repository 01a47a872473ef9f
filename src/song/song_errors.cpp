#include "song/song_errors.h"

#include <array>

namespace zentory {

namespace {

constexpr ErrorText kMdtkTexts[] = {
    {mdtk::kInternal, "Midiのトラックデータで内部エラーが発生しました。"},
    {mdtk::kUndefinedEvent, "未定義のMIDIイベントが含まれていました。"},
    {mdtk::kBadChannel, "チャネルに誤りがあります。"},
    {mdtk::kBadTempo, "テンポに誤りがあります。"},
    {mdtk::kTooManyEvents, "データの量が多すぎます。"},
    {mdtk::kNotMidiChunk, "MIDIファイルではないか、マックバイナリがついているファイルです。"},
    {mdtk::kHugeEvent, "サイズが大きすぎるイベントが含まれています。"},
    {mdtk::kBadProgram, "プログラム・チェンジで不正な番号がありました。0に調整しました。"},
    {mdtk::kManyMasterVolumes, "複数のマスターボリュームが設定されています。"},
    {mdtk::kPolyPressureTooLong, "Midiのトラックデータでエラーが発生しました。"},
    {mdtk::kBadNoteNumber,
     "内部処理のエラーでノートナンバーが異常になりましたので０に修正しました。"},
    {mdtk::kBadPlayData, "演奏データが異常です。"},
    {mdtk::kAddFailed, "データの追加に失敗しました。"},
    {mdtk::kBadStart, "演奏開始の異常が発生しました。"},
    {mdtk::kBadTrack, "トラックに異常が発生しました。"},
    {mdtk::kBadTimeSignature, "拍子に異常が発生しました。"},
    {mdtk::kMetaTooLong, "データ追加に異常が発生しました。"},
    {mdtk::kStraySystemMessage, "ファイルには置けないシステムメッセージを読み飛ばしました。"},
    {mdtk::kRunningAfterSystem,
     "システムエクスクルーシブかメタイベントの後のランニングステータスを、その前のチャネルメッセー"
     "ジの続きとして読みました。"},
    {mdtk::kNotesWithoutEnd,
     "終わりのないノートがありました。次の同じ音の始まりか、トラックの終わりまでの長さにしました"
     "。"},
};
constexpr ErrorModule kMdtk("MDTK", kMdtkTexts, "Midiのトラックデータでエラーが発生しました。");

constexpr ErrorText kMuevTexts[] = {
    {muev::kDataTooLong,
     "イベントのデータサイズが大きすぎます。MFiの機種依存の音色設定が含まれている場合は問題ありませ"
     "ん。"},
    {muev::kDataAccess, "イベントのデータでエラーが発生しました。"},
};
constexpr ErrorModule kMuev("MUEV", kMuevTexts, "音楽データのイベントでエラーが発生しました。");

constexpr ErrorText kM1dtTexts[] = {
    {m1dt::kShortFile, "Midiのフォーマット１のデータでエラーが発生しました。"},
    {m1dt::kTrackCount, "トラック数のエラーです。"},
    {m1dt::kNotFormat1, "フォーマット１ではありません。"},
    {m1dt::kWrongState, "Midiのフォーマット１のデータで内部エラーが発生しました。"},
    {m1dt::kNotMidiFile, "Midiファイルではないか、ファイルにマックバイナリがついています。"},
    {m1dt::kManyMasterVolumes, "マスターボリュームが複数設定されています。"},
    {m1dt::kTooLarge, "データが大きすぎます。"},
    {m1dt::kSkippedChunk, "トラックではないチャンクを読み飛ばしました。"},
    {m1dt::kFormat0Tracks,
     "フォーマット0の複数のトラックを1つにまとめ、チャネルごとに分けました。"},
    {m1dt::kFormat2, "フォーマット2のファイルをフォーマット1として読みました。"},
    {m1dt::kMasterChannelEvents,
     "最初のトラックのチャネルイベントを、チャネルごとのトラックに分けました。"},
    {m1dt::kTimeCodeDivision,
     "タイムコードで時間を表すファイルを、テンポ120の拍に直して読みました。"},
};
constexpr ErrorModule kM1dt("M1DT", kM1dtTexts,
                            "Midiのフォーマット１のデータでエラーが発生しました。");

constexpr ErrorText kM0dtTexts[] = {
    {m0dt::kWrongState, "Midiのフォーマット0のデータで内部エラーが発生しました。"},
    {m0dt::kStopFailed, "演奏の停止中に異常が発生しました。"},
};
constexpr ErrorModule kM0dt("M0DT", kM0dtTexts,
                            "Midiのフォーマット0のデータでエラーが発生しました。");

constexpr ErrorText kM1tkTexts[] = {
    {m1tk::kWrongForm, "Midiのフォーマット1のトラックデータでエラーが発生しました。"},
};
constexpr ErrorModule kM1tk("M1TK", kM1tkTexts,
                            "Midiのフォーマット1のトラックデータでエラーが発生しました。");

constexpr ErrorText kMdsxTexts[] = {
    {mdsx::kBadMessage, "システムエクスクルーシブでエラーが発生しました。"},
};
constexpr ErrorModule kMdsx("MDSX", kMdsxTexts,
                            "システムエクスクルーシブで未定義のエラーが発生しました。");

OnceOnlyReporter<6>& MdtkOnce() {
  // The latches live as long as the process, as the module's own once-only report does.
  static OnceOnlyReporter<6> once(
      kMdtk, {mdtk::kHugeEvent, mdtk::kManyMasterVolumes, mdtk::kBadNoteNumber,
              mdtk::kStraySystemMessage, mdtk::kRunningAfterSystem, mdtk::kNotesWithoutEnd});
  return once;
}

}  // namespace

const ErrorModule& MdtkModule() { return kMdtk; }
int MdtkError(ErrorCode code) {
  if (code == 0) return kMdtk.Report(code);
  return MdtkOnce().Report(code);
}
void RearmMdtkWarnings() { MdtkOnce().Report(0); }

const ErrorModule& MuevModule() { return kMuev; }
int MuevError(ErrorCode code) { return kMuev.Report(code); }
const ErrorModule& M1dtModule() { return kM1dt; }
int M1dtError(ErrorCode code) { return kM1dt.Report(code); }
const ErrorModule& M0dtModule() { return kM0dt; }
int M0dtError(ErrorCode code) { return kM0dt.Report(code); }
const ErrorModule& M1tkModule() { return kM1tk; }
int M1tkError(ErrorCode code) { return kM1tk.Report(code); }
const ErrorModule& MdsxModule() { return kMdsx; }
int MdsxError(ErrorCode code) { return kMdsx.Report(code); }

}  // namespace zentory
