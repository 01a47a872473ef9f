// The byte level of Standard MIDI Files: big-endian words, variable-length quantities, the probe
// of the header, and the tokenizer that walks the events of one track chunk with its running
// status. Nothing here knows the song model; smf_reader.cpp turns
// the tokens into events.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "base/error_report.h"

namespace zentory::smf {

// Four bytes of a variable-length quantity hold at most this; longer deltas are clamped.
inline constexpr std::uint32_t kMaxVlq = 0x0FFFFFFF;
// Size of the MacBinary prefix some Macintosh tools put before a file.
inline constexpr std::size_t kMacBinaryPrefix = 128;

// Big-endian reads that see zero past the end of BYTES, so a header cut short reads as zeros.
std::uint32_t PeekBe16(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint32_t PeekBe32(std::span<const std::uint8_t> bytes, std::size_t at);
bool HasTagAt(std::span<const std::uint8_t> bytes, std::size_t at, const char (&tag)[5]);

// Appends BYTES (kept out of line: g++ 12 misreads inlined initializer-list inserts at -O3).
void AppendBytes(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes);
void AppendBe16(std::vector<std::uint8_t>& out, std::uint32_t value);
void AppendBe32(std::vector<std::uint8_t>& out, std::uint32_t value);
// Standard variable-length quantity (1 to 4 bytes); VALUE must not exceed kMaxVlq.
void AppendVlq(std::vector<std::uint8_t>& out, std::uint32_t value);
// Length of a standard quantity starting at BYTES[0], or 0 when it does not end inside BYTES.
std::size_t VlqSize(std::span<const std::uint8_t> bytes, std::uint32_t* value);

// True when "MThd" stands at offset 128 and not at 0: the image carries a MacBinary prefix.
bool HasMacBinaryPrefix(std::span<const std::uint8_t> image);
// Removes a MacBinary prefix in place, then classifies the format word: its high byte not 0 gives
// -1, low byte 0 gives 0, 1 gives 1, anything else -1.
int ProbeFormat(std::vector<std::uint8_t>& image);

// Where the tokenizer's faults go: the track module's report, which itself drops repeated
// once-only warnings.
using TrackReport = int (*)(ErrorCode);

// One event as found in a chunk. Its data bytes are LEAD (when nonzero) followed by BYTES (a view
// into the chunk) followed by the first OWNLENGTH bytes of OWN.
struct RawEvent {
  std::int32_t delta = 0;
  std::int32_t status = 0;  // 0x80-0xE0, 0xF0, 0xF7, 0xFF; 0 for a message that is skipped
  std::int32_t channel = 255;
  std::int32_t key = 0;
  std::uint32_t velocity = 0;
  std::uint32_t type = 0;
  std::int32_t value = 0;
  std::uint8_t lead = 0;
  std::span<const std::uint8_t> bytes;
  std::array<std::uint8_t, 5> own{};
  std::uint8_t ownLength = 0;

  std::size_t DataLength() const { return (lead != 0 ? 1u : 0u) + bytes.size() + ownLength; }
  // Writes the data bytes to OUT, which must hold DataLength() bytes.
  void CopyData(std::uint8_t* out) const;
};

// Walks the events of one chunk body (the bytes after "MTrk" and the length word).
class TrackTokenizer {
 public:
  enum class Step { kEvent, kEnd, kStopped };

  // TICKLIMIT bounds the absolute time of the track so that later arithmetic on ticks (note
  // lengths, the change to 480 ticks per quarter note) cannot overflow.
  TrackTokenizer(std::span<const std::uint8_t> body, std::int64_t tickLimit, TrackReport report)
      : body_(body), tickLimit_(tickLimit), report_(report) {}

  // kEvent: EVENT holds the next event. kEnd: the chunk is used up. kStopped: a fault was reported
  // and the rest of the chunk cannot be read.
  Step Next(RawEvent& event);
  std::size_t Position() const { return pos_; }

 private:
  Step Stop(ErrorCode code);
  bool ParseChannel(std::uint8_t status, RawEvent& event);
  Step ParseMeta(RawEvent& event);

  std::span<const std::uint8_t> body_;
  std::size_t pos_ = 0;
  std::uint8_t running_ = 0;  // the channel status in force
  bool afterSystem_ = false;  // the last event was a system exclusive or meta event
  std::int64_t ticks_ = 0;
  std::int64_t tickLimit_;
  TrackReport report_;
};

// Absolute-tick bound of a track read at DIVISION ticks per quarter note: once rescaled to 480
// the track stays within a four-byte quantity.
std::int64_t TickLimitFor(std::int32_t division);

}  // namespace zentory::smf
