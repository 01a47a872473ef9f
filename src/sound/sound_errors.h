// The error reports of the sound layer: the MIDI output device (MDCT), the player (MDPL, MDSP),
// and the plain boxes of the background sound. Reports raised on the timer or play thread go
// through a ReportRoute, so that the thread never waits for a box.
#pragma once

#include <functional>
#include <string>

#include "base/error_report.h"

namespace zentory {

namespace mdct {
inline constexpr ErrorCode kOpenFailed = 0x07000001;
inline constexpr ErrorCode kCloseFailed = 0x07000002;
inline constexpr ErrorCode kProgramChange = 0x07000003;
inline constexpr ErrorCode kSysEx = 0x07000004;
inline constexpr ErrorCode kBadParameter = 0x07000005;
}  // namespace mdct

namespace mdpl {
inline constexpr ErrorCode kResolution = 0x08000001;
inline constexpr ErrorCode kNoTimer = 0x08000002;
inline constexpr ErrorCode kTempoTooSlow = 0x08000003;
inline constexpr ErrorCode kInternal = 0x08000004;
inline constexpr ErrorCode kBadPosition = 0x08000005;
inline constexpr ErrorCode kBadTempo = 0x08000006;
inline constexpr ErrorCode kBadData = 0x08000007;
}  // namespace mdpl

namespace mdsp {
inline constexpr ErrorCode kInternal = 0x09000001;
}  // namespace mdsp

const ErrorModule& MdctModule();
const ErrorModule& MdplModule();
const ErrorModule& MdspModule();

// Where a report's text goes. Empty: shown at once through ShowMessageBox (the caller's thread
// then waits for the box). The main window routes the play's reports to its own thread.
using ReportRoute = std::function<void(const std::string& text)>;
void RouteReport(const ReportRoute& route, const std::string& text);

// The background sound's boxes: fixed texts without a code.
namespace wave_texts {
inline constexpr const char* kCannotOpen = "WAVEファイルが開けませんでした。";
inline constexpr const char* kRate = "このサンプリングレートに対応していません。";
inline constexpr const char* kChannels = "このチャネル数に対応していません。";
inline constexpr const char* kFile = "CWaveFile Error!";
inline constexpr const char* kBuffer = "Error in CWaveBuff";
inline constexpr const char* kOut = "Error in CWaveOut";
inline constexpr const char* kDevice = "Error in CWaveOutDeviceMulti";
}  // namespace wave_texts

// Said once at start-up when a zero or muted system volume was raised.
inline constexpr const char* kVolumeRaisedText =
    "ウィンドウズのマスターボリュームがゼロです。音量の自動調節を試みました。";

}  // namespace zentory
