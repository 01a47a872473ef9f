// The error reports of the song layer: track data (MDTK), music events (MUEV), format-1 and
// format-0 song data (M1DT, M0DT), format-1 tracks (M1TK) and system exclusive helpers (MDSX).
#pragma once

#include "base/error_report.h"

namespace zentory {

namespace mdtk {
inline constexpr ErrorCode kInternal = 0x0D000001;
inline constexpr ErrorCode kUndefinedEvent = 0x0D000002;
inline constexpr ErrorCode kBadChannel = 0x0D000003;
inline constexpr ErrorCode kBadTempo = 0x0D000005;
inline constexpr ErrorCode kTooManyEvents = 0x0D000006;
inline constexpr ErrorCode kNotMidiChunk = 0x0D000007;
inline constexpr ErrorCode kHugeEvent = 0x0D00000B;  // once only
inline constexpr ErrorCode kBadProgram = 0x0D00000C;
inline constexpr ErrorCode kManyMasterVolumes = 0x0D000011;  // once only
inline constexpr ErrorCode kPolyPressureTooLong = 0x0D000016;
inline constexpr ErrorCode kBadNoteNumber = 0x0D000017;  // once only
inline constexpr ErrorCode kBadPlayData = 0x0D000019;
inline constexpr ErrorCode kAddFailed = 0x0D00001A;
inline constexpr ErrorCode kBadStart = 0x0D000025;
inline constexpr ErrorCode kBadTrack = 0x0D000026;
inline constexpr ErrorCode kBadTimeSignature = 0x0D000027;
inline constexpr ErrorCode kMetaTooLong = 0x0D000028;
// What a lenient read did with a track; once only.
inline constexpr ErrorCode kStraySystemMessage = 0x0D000029;
inline constexpr ErrorCode kRunningAfterSystem = 0x0D00002A;
inline constexpr ErrorCode kNotesWithoutEnd = 0x0D00002B;
}  // namespace mdtk

namespace muev {
inline constexpr ErrorCode kDataTooLong = 0x06000001;
inline constexpr ErrorCode kDataAccess = 0x06000002;
}  // namespace muev

namespace m1dt {
inline constexpr ErrorCode kShortFile = 0x00000000;
inline constexpr ErrorCode kTrackCount = 0x03000001;
inline constexpr ErrorCode kNotFormat1 = 0x03000002;
inline constexpr ErrorCode kWrongState = 0x03000003;
inline constexpr ErrorCode kNotMidiFile = 0x03000004;
inline constexpr ErrorCode kManyMasterVolumes = 0x03000006;
inline constexpr ErrorCode kTooLarge = 0x03000019;
// What a lenient read did with a file.
inline constexpr ErrorCode kSkippedChunk = 0x03000020;
inline constexpr ErrorCode kFormat0Tracks = 0x03000021;
inline constexpr ErrorCode kFormat2 = 0x03000022;
inline constexpr ErrorCode kMasterChannelEvents = 0x03000023;
inline constexpr ErrorCode kTimeCodeDivision = 0x03000024;
}  // namespace m1dt

namespace m0dt {
inline constexpr ErrorCode kWrongState = 0x04000005;
inline constexpr ErrorCode kStopFailed = 0x0400000A;
}  // namespace m0dt

namespace m1tk {
inline constexpr ErrorCode kWrongForm = 0x0D000001;
}  // namespace m1tk

namespace mdsx {
inline constexpr ErrorCode kBadMessage = 0x36000001;
}  // namespace mdsx

// Every MDTK code is shown each time, except the once-only warnings named above, which are shown
// at most once until RearmMdtkWarnings (the reader re-arms them for every track chunk).
const ErrorModule& MdtkModule();
int MdtkError(ErrorCode code);
void RearmMdtkWarnings();

const ErrorModule& MuevModule();
int MuevError(ErrorCode code);
const ErrorModule& M1dtModule();
int M1dtError(ErrorCode code);
const ErrorModule& M0dtModule();
int M0dtError(ErrorCode code);
const ErrorModule& M1tkModule();
int M1tkError(ErrorCode code);
const ErrorModule& MdsxModule();
int MdsxError(ErrorCode code);

}  // namespace zentory
