// Every text the editing commands speak, in one place, exactly as the user hears it (UTF-8).
// Texts with a %d take decimal numbers (see texts::FormatNumbers).
#pragma once

namespace zentory::edit_texts {

// Song and track commands.
inline constexpr const char* kNewSong = "曲を新規作成しました。";
inline constexpr const char* kMasterTrack = "マスタートラック";
inline constexpr const char* kNoTrackOnChannel =
    "指定されたチャネルに割り当てられたトラックがありませんでした。";
inline constexpr const char* kTrackAndChannel = "トラック[%d] チャネル[%d] ";
inline constexpr const char* kTrackAdded = "追加したトラック[%d]の編集を行います。";
inline constexpr const char* kTooManyTracks = "これ以上トラックを追加できません。";
// Named before the sentence on what is left when a track is deleted.
// "トラック[3] チャネル[3] ｸﾞﾗﾝﾄﾞ ﾋﾟｱﾉ ノート120個を削除しました。": kTrackAndChannel, the
// instrument, kNotesDeleted (a track without a channel: kTrackNumber, kNotesDeleted).
inline constexpr const char* kTrackNumber = "トラック[%d]";
inline constexpr const char* kNotesDeleted = " ノート%d個を削除しました。";
inline constexpr const char* kCannotDeleteMaster = "マスタートラックは削除できません。";
inline constexpr const char* kOnlyMasterLeft = "マスタートラックが編集対象のトラックです。";
inline constexpr const char* kTracksLeft =
    "マスタートラックを含めて、トラックの数が%dになりました。トラック1が編集対象のトラックです。";

// Undo.
inline constexpr const char* kNothingToUndo = "前のデータがありません。";
inline constexpr const char* kUndone = "前のデータに戻しました。";
inline constexpr const char* kRedone = "やり直しました。";
inline constexpr const char* kNothingToRedo = "やり直すデータがありません。";
// The name of a change made by the note-entry keys (a command's change takes its description).
inline constexpr const char* kNoteEntryChange = "ノートの入力";

// File status and the recovered song.
inline constexpr const char* kNewSongName = "新しい曲";
inline constexpr const char* kSavedState = "保存済み";
inline constexpr const char* kUnsavedState = "保存されていない変更があります";
inline constexpr const char* kRecovered = "保存されなかった曲を復元しました。";
inline constexpr const char* kNothingToRecover = "復元できる曲がありません。";

// Navigation.
inline constexpr const char* kNoMarker = "マーカーが見つかりませんでした。";

// Note entry. A track without a channel (the master track, or a channel-less track from a file)
// cannot sound a note or take a program; entry says so instead of sending a corrupt status byte.
inline constexpr const char* kNoChannelTrack =
    "チャネルのないトラックには音符と音色を入力できません。";

// MML entry: the word said when a target is chosen, and the other answers.
inline constexpr const char* kOctave = "オクターブ";
inline constexpr const char* kNoteValue = "音価";
inline constexpr const char* kProgram = "音色";
inline constexpr const char* kGateTime = "ゲートタイム";
inline constexpr const char* kNoteNumber = "ノートナンバー";
inline constexpr const char* kVelocity = "ベロシティ";
inline constexpr const char* kTiming = "タイミング調整値";
inline constexpr const char* kNoteGate = "Qの値";
inline constexpr const char* kNoteVelocity = "Vの値";
inline constexpr const char* kNoteTiming = "Tの値";
inline constexpr const char* kTie = "タイ";
inline constexpr const char* kTieOfTie = "タイのタイ";
inline constexpr const char* kAccent = "アクセントの値";
inline constexpr const char* kRest = "休符";
// Follows the note letter whose note would lie outside 0-127.
inline constexpr const char* kOutOfRange = " 音域外です。";
inline constexpr const char* kInputCleared = "入力クリア";
inline constexpr const char* kInputMistake = "入力ミス";
inline constexpr const char* kDot = "付点";
inline constexpr const char* kSemitoneUp = "半音上げ";
inline constexpr const char* kSemitoneDown = "半音下げ";
inline constexpr const char* kMinus = "-";
inline constexpr const char* kOctaveUp = "オクターブ上";
inline constexpr const char* kDeleted = "削除";
inline constexpr const char* kCannotDeleteLast = "最後のイベントは削除できません。";
inline constexpr const char* kMmlValues = "O値[%d] V値[%d] L値[%d] Q値[%d] T値[%d]";

// Range editing; the position wording comes first in the texts that start with a particle.
inline constexpr const char* kRangeStartSet = "を開始位置として設定しました。";
inline constexpr const char* kRangeEndSameAsStart =
    "は開始位置と同じなので終了位置として設定できません。";
inline constexpr const char* kRangeEndBeforeStart =
    "は開始位置より前にあるので開始位置と終了位置を入れ替えました。";
inline constexpr const char* kRangeEndSet = "を終了位置として設定しました。";
inline constexpr const char* kNoRangeStart = "開始位置が設定されていません。";
inline constexpr const char* kNoRangeEnd = "終了位置が設定されていません。";
inline constexpr const char* kNoRange = "範囲が設定されていません。";
inline constexpr const char* kRangeSwapped = "開始位置と終了位置を入れ替えました。";
inline constexpr const char* kCopied = "トラック%dの%sから%sまでをコピーバッファに入れました。";
inline constexpr const char* kCopyBufferEmpty = "コピーバッファにデータがありません。";
inline constexpr const char* kPasted = "トラック%dの%sにペーストしました。";
inline constexpr const char* kTransposed = "範囲内の音を変更しました。";
inline constexpr const char* kRangeCleared = "範囲内の音をクリアしました。";

// Playback.
inline constexpr const char* kPlaybackEnded = "再生が終了しました。";

// Files and markers.
inline constexpr const char* kNotLoaded = "ファイルを読み込みませんでした。";
inline constexpr const char* kNotSaved = "ファイルを保存しませんでした。";
inline constexpr const char* kMarkerInserted = "%sにマーカー「%s」を挿入しました。";
inline constexpr const char* kNoMarkerInserted = "マーカーを挿入しませんでした。";
// Follows the marker announcement when characters of the typed text could not be kept.
inline constexpr const char* kMarkerCharactersLost = "保存できない文字は疑問符に置き換えました。";

// Track and channel steps.
inline constexpr const char* kChannelNumber = "チャネル[%d]";
inline constexpr const char* kTrackWithoutChannel =
    "トラック[%d] チャネルが割り当てられていません。";
inline constexpr const char* kNoChannelForMaster = "マスタートラックにチャネルは指定できません。";
inline constexpr const char* kProgramsMerged = " 曲頭の音色設定を統合しました。";

// Value entry. The program prompt and the instrument names follow the instrument's name.
inline constexpr const char* kTempoPrompt = "テンポの値を入力してリターンキーを押してください。";
inline constexpr const char* kKeySignaturePrompt =
    "キーを示すAからGと#やbの文字に続けて、マイナーキーの場合はMを入力してから、"
    "エンターキーを押してください。";
inline constexpr const char* kPitchBendPrompt =
    "ピッチベンドの値を入力してリターンキーを押してください。";
inline constexpr const char* kPanPrompt = "パンポットの値を入力してリターンキーを押してください。";
inline constexpr const char* kProgramPrompt =
    "が選択されています。上下、左右カーソルで音色を選択してリターンキーを押してください。";
inline constexpr const char* kEntryCancelled = "入力操作をキャンセルしました。";
inline constexpr const char* kTempoSet = "%sのテンポを%dにしました。";
inline constexpr const char* kKeySignatureSet = "%sの調号を%sにしました。";
inline constexpr const char* kUnknownKeySignature =
    "その調は分かりません。もう一度入力してエンターキーを押してください。";
inline constexpr const char* kPitchBendSet = "ピッチベンドを%dにしました。";
inline constexpr const char* kPanSet = "パンポットを%dにしました。";
inline constexpr const char* kProgramSet = "音色を%sにしました。";
inline constexpr const char* kProgramCancelled = "音色の変更をキャンセルしました。";
inline constexpr const char* kVolumeSet = "%d";
// Pan, pitch bend and volume belong to a channel; the master track and channel-less tracks from a
// file have none.
inline constexpr const char* kNoChannelForValue =
    "チャネルのないトラックにはパンポット、ピッチベンド、ボリュームを入力できません。";

// Musical readings (switched by the user): events, the transposition's direction.
inline constexpr const char* kMusicalOn = "音楽的な読み方にしました。";
inline constexpr const char* kMusicalOff = "標準の読み方にしました。";
inline constexpr const char* kMusicalWhole = "全";
inline constexpr const char* kMusicalNoteValue = "%d分";
inline constexpr const char* kMusicalTicks = "%dティック";
inline constexpr const char* kMusicalNote = "ノート %s %s ベロシティ%s";
inline constexpr const char* kMusicalPitchBend = "ピッチベンド %d";
inline constexpr const char* kMusicalProgram = "プログラムチェンジ %s %s";
inline constexpr const char* kMusicalPan = "パン %d";
inline constexpr const char* kMusicalController = "コントロールチェンジ%d、値%d";
inline constexpr const char* kMusicalKeySignature = "調号 %s";
inline constexpr const char* kMusicalTimeSignature = "拍子 %d分の%d";
inline constexpr const char* kFlatTyped = "フラット";
inline constexpr const char* kMinorTyped = "マイナー";
inline constexpr const char* kTransposedUp = "範囲内の音を半音上げました。";
inline constexpr const char* kTransposedDown = "範囲内の音を半音下げました。";

}  // namespace zentory::edit_texts
