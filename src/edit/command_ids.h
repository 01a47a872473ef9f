// The CommandId of every command the key table can run (high byte: category, low byte: item).
#pragma once

namespace zentory::command {

// File operations.
inline constexpr int kNewSong = 0x101;
inline constexpr int kLoad = 0x102;
inline constexpr int kSave = 0x104;
inline constexpr int kPlaySong = 0x111;
inline constexpr int kPlayFromPosition = 0x112;
inline constexpr int kTempo = 0x113;
inline constexpr int kKeySignature = 0x114;
inline constexpr int kQuit = 0x116;
inline constexpr int kInsertMarker = 0x118;
// Track operations.
inline constexpr int kAddTrack = 0x201;
inline constexpr int kDeleteTrack = 0x204;
inline constexpr int kNextTrack = 0x208;
inline constexpr int kPreviousTrack = 0x20A;
inline constexpr int kMasterTrack = 0x20B;
inline constexpr int kChannelUp = 0x211;
inline constexpr int kChannelDown = 0x214;
// Event editing.
inline constexpr int kReadMmlValues = 0x301;
inline constexpr int kUndo = 0x311;
inline constexpr int kCopy = 0x321;
inline constexpr int kPaste = 0x324;
// Range editing.
inline constexpr int kRangeStart = 0x401;
inline constexpr int kRangeEnd = 0x404;
inline constexpr int kPlayRange = 0x406;
inline constexpr int kPlayRangeChannels = 0x408;
inline constexpr int kClearRange = 0x411;
inline constexpr int kTransposeUp = 0x421;
inline constexpr int kTransposeDown = 0x424;
// Edit position.
inline constexpr int kAnnouncePosition = 0x501;
inline constexpr int kNextBar = 0x502;
inline constexpr int kPreviousBar = 0x504;
inline constexpr int kNextBeat = 0x511;
inline constexpr int kPreviousBeat = 0x514;
inline constexpr int kPreviousEighth = 0x521;
inline constexpr int kNextEighth = 0x524;
inline constexpr int kPreviousSixteenth = 0x531;
inline constexpr int kNextSixteenth = 0x534;
inline constexpr int kSongHead = 0x541;
inline constexpr int kSongEnd = 0x544;
inline constexpr int kNextEventTick = 0x561;
inline constexpr int kPreviousEventTick = 0x564;
inline constexpr int kNextEvent = 0x581;
inline constexpr int kPreviousEvent = 0x584;
inline constexpr int kNextSameKind = 0x591;
inline constexpr int kPreviousSameKind = 0x594;
inline constexpr int kNextSameCommand = 0x596;
inline constexpr int kPreviousSameCommand = 0x598;
inline constexpr int kNextMarker = 0x5A1;
inline constexpr int kPreviousMarker = 0x5A4;
inline constexpr int kForwardMinTicks = 0x5B1;
inline constexpr int kBackMinTicks = 0x5B4;
inline constexpr int kForwardStdTicks = 0x5B8;
inline constexpr int kBackStdTicks = 0x5BA;
// Settings.
inline constexpr int kInputMode = 0x601;
inline constexpr int kPositionUnit = 0x604;
inline constexpr int kReadingStyle = 0x606;
inline constexpr int kMenuSound = 0x608;
inline constexpr int kVersion = 0x611;
// Channel selection.
inline constexpr int kTargetChannelFirst = 0x701;  // .. 0x710
inline constexpr int kPlayStateFirst = 0x721;      // .. 0x730

// Channel editing.
inline constexpr int kPlayChannels = 0x801;
inline constexpr int kPlayChannelsFromPosition = 0x804;
inline constexpr int kProgram = 0x811;
inline constexpr int kVolumeUp = 0x814;
inline constexpr int kVolumeDown = 0x816;
inline constexpr int kPitchBend = 0x821;
inline constexpr int kPan = 0x824;

// Commands added after the built-in table's rows (their keys follow its 104 rows in memory).
inline constexpr int kFileStatus = 0x131;
inline constexpr int kRestoreRecovery = 0x132;
inline constexpr int kUndoFurther = 0x331;
inline constexpr int kRedo = 0x332;
inline constexpr int kMusicalReadings = 0x631;
inline constexpr int kSpeechRateUp = 0x632;
inline constexpr int kSpeechRateDown = 0x633;
inline constexpr int kSpeechVolumeUp = 0x634;
inline constexpr int kSpeechVolumeDown = 0x635;
inline constexpr int kNextVoice = 0x636;

}  // namespace zentory::command
