// One event of a track. Plain fields as the track code uses them, plus an owned data block that
// always carries kDataSlack zero bytes beyond DataLength(), so fixed-position tests on system
// exclusive and meta data may read that far without leaving the block. Small blocks are held
// inside the event itself, so copying a song does not allocate per event.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zentory {

// Event kinds (`status`); the channel is never part of it.
namespace ev {
inline constexpr std::int32_t kDeleted = 0;
inline constexpr std::int32_t kNote = 0x10;  // note form only: one event with a length
inline constexpr std::int32_t kNoteOff = 0x80;
inline constexpr std::int32_t kNoteOn = 0x90;
inline constexpr std::int32_t kPolyPressure = 0xA0;
inline constexpr std::int32_t kControlChange = 0xB0;
inline constexpr std::int32_t kProgramChange = 0xC0;
inline constexpr std::int32_t kChannelPressure = 0xD0;
inline constexpr std::int32_t kPitchBend = 0xE0;
inline constexpr std::int32_t kSysEx = 0xF0;
inline constexpr std::int32_t kSysExContinuation = 0xF7;
inline constexpr std::int32_t kMeta = 0xFF;

inline constexpr std::uint32_t kMetaSequenceNumber = 0x00;
inline constexpr std::uint32_t kMetaText = 0x01;
inline constexpr std::uint32_t kMetaCopyright = 0x02;
inline constexpr std::uint32_t kMetaTrackName = 0x03;
inline constexpr std::uint32_t kMetaInstrumentName = 0x04;
inline constexpr std::uint32_t kMetaLyric = 0x05;
inline constexpr std::uint32_t kMetaMarker = 0x06;
inline constexpr std::uint32_t kMetaCuePoint = 0x07;
inline constexpr std::uint32_t kMetaChannelPrefix = 0x20;
inline constexpr std::uint32_t kMetaEndOfTrack = 0x2F;
inline constexpr std::uint32_t kMetaTempo = 0x51;
inline constexpr std::uint32_t kMetaSmpteOffset = 0x54;
inline constexpr std::uint32_t kMetaTimeSignature = 0x58;
inline constexpr std::uint32_t kMetaKeySignature = 0x59;
inline constexpr std::uint32_t kMetaSequencerSpecific = 0x7F;

inline constexpr std::int32_t kNoChannel = 255;
}  // namespace ev

// System exclusive classes (`type` of an 0xF0 event).
namespace sysex {
inline constexpr std::uint32_t kMasterVolume = 1;
inline constexpr std::uint32_t kGmSystemOn = 9;
inline constexpr std::uint32_t kGsRhythmPart = 18;
inline constexpr std::uint32_t kGsReset = 19;
inline constexpr std::uint32_t kMasterBalance = 40;
inline constexpr std::uint32_t kGsEqSwitch = 69;
inline constexpr std::uint32_t kDeviceVoice = 127;
}  // namespace sysex

class CMusicEvent {
 public:
  static constexpr std::int32_t kDataSlack = 8;
  // Data beyond this many bytes reports MUEV 06000001 (the data is kept).
  static constexpr std::int32_t kLargeData = 256;
  // No event holds more than this; larger requests report MUEV 06000002 and change nothing.
  static constexpr std::int32_t kMaxData = 1 << 28;

  std::int32_t status = 0;
  std::int32_t delta = 0;
  std::int32_t key = 0;
  std::int32_t length = 0;
  std::uint32_t velocity = 0;
  std::uint32_t type = 0;
  std::int32_t value = 0;
  std::int32_t channel = ev::kNoChannel;

  CMusicEvent() = default;
  explicit CMusicEvent(std::int32_t delta_) : delta(delta_) {}
  CMusicEvent(const CMusicEvent& other);
  CMusicEvent& operator=(const CMusicEvent& other);
  CMusicEvent(CMusicEvent&& other) noexcept;
  CMusicEvent& operator=(CMusicEvent&& other) noexcept;
  ~CMusicEvent() = default;

  // Replaces the data with N bytes (N = 0 changes nothing); more than 256 bytes reports
  // MUEV 06000001 and the data stays.
  void SetData(const std::uint8_t* bytes, std::int32_t n);
  void SetData(std::span<const std::uint8_t> bytes);
  // The same without the report of long data: the file reader warns once per file about such
  // events instead of once per event.
  void AssignData(const std::uint8_t* bytes, std::int32_t n);
  // Drops the data block (DataLength() becomes 0).
  void ClearData();
  // A fresh zero-filled block of N + 8 bytes with the old data copied over; DataLength() stays.
  // The block never shrinks below DataLength() + 8.
  void ResizeData(std::int32_t n);
  // Byte I of the block (valid below BlockSize()); otherwise MUEV 06000002 and 0 / nullptr.
  std::uint8_t GetByte(std::int32_t i) const;
  std::uint8_t* BytePointer(std::int32_t i);
  // Writes byte I, growing the block first when I lies beyond it; with no block (or I < 0)
  // MUEV 06000002 is reported and nothing is written.
  void SetByte(std::int32_t i, std::uint8_t b);
  // Byte I when it lies inside the block, else 0; never reports (fixed-position tests).
  std::uint8_t PeekByte(std::int32_t i) const { return i >= 0 && i < blockSize_ ? Block()[i] : 0; }

  std::int32_t DataLength() const { return dataLength_; }
  std::int32_t BlockSize() const { return blockSize_; }
  bool HasData() const { return blockSize_ > 0; }
  // The DataLength() bytes (empty without a block).
  std::span<const std::uint8_t> Data() const {
    return {Block(), static_cast<std::size_t>(dataLength_)};
  }
  // The whole block including the spare bytes (empty without a block).
  std::span<std::uint8_t> MutableBlock() { return {Block(), static_cast<std::size_t>(blockSize_)}; }
  // The data as text: the bytes up to the first zero (meta texts keep CP932 here).
  std::string DataText() const;

  bool IsEndOfTrack() const { return status == ev::kMeta && type == ev::kMetaEndOfTrack; }
  bool IsMeta(std::uint32_t metaType) const { return status == ev::kMeta && type == metaType; }
  // IsPortBName on the data taken as text.
  bool IsPortB() const;

  // Sets `type`, `value` and, for part messages, `channel` of an 0xF0 event from its data;
  // messages that are not recognised get class 0.
  void ClassifySysEx();

 private:
  static constexpr std::int32_t kInline = 16;
  const std::uint8_t* Block() const { return blockSize_ > kInline ? heap_.get() : inline_.data(); }
  std::uint8_t* Block() { return blockSize_ > kInline ? heap_.get() : inline_.data(); }
  // A zero-filled block of SIZE bytes keeping the first KEEP bytes of the old one.
  void Reallocate(std::int32_t size, std::int32_t keep);

  std::int32_t dataLength_ = 0;
  std::int32_t blockSize_ = 0;  // 0: no block
  std::unique_ptr<std::uint8_t[]> heap_;
  std::array<std::uint8_t, kInline> inline_{};
};

// Makers for the events the editor creates.
CMusicEvent MakeEndOfTrack(std::int32_t delta);
CMusicEvent MakeTempoEvent(std::int32_t delta, std::int32_t microseconds);
CMusicEvent MakeMetaEvent(std::int32_t delta, std::uint32_t type,
                          std::span<const std::uint8_t> bytes);
CMusicEvent MakeNoteEvent(std::int32_t delta, std::int32_t channel, std::int32_t key,
                          std::int32_t length, std::uint32_t velocity);

}  // namespace zentory
