#include "song/smf_parse.h"

#include <algorithm>
#include <cstring>

namespace zentory::smf {

namespace {
// Track-module codes the tokenizer raises; their texts live with the track module.
constexpr ErrorCode kTrackInternal = 0x0D000001;
constexpr ErrorCode kUndefinedEvent = 0x0D000002;
constexpr ErrorCode kBadTempo = 0x0D000005;
constexpr ErrorCode kBadProgram = 0x0D00000C;
constexpr ErrorCode kBadKey = 0x0D000017;
constexpr ErrorCode kBadTimeSignature = 0x0D000027;
constexpr ErrorCode kStraySystemMessage = 0x0D000029;
constexpr ErrorCode kRunningAfterSystem = 0x0D00002A;

constexpr std::int32_t kDefaultTempo = 500000;
constexpr std::int32_t kFourFour = 4 * 256 + 4;

bool IsStatusByte(std::uint8_t b) {
  return (b >= 0x80 && b <= 0xEF) || b == 0xF0 || b == 0xF7 || b == 0xFF;
}

// System common and real-time bytes: no status byte of a file, skipped where they stand.
bool IsStrayStatus(std::uint8_t b) { return b > 0xF0 && b != 0xF7 && b != 0xFF; }

// Data bytes of a system common message (MIDI Time Code quarter frame and song select take one,
// song position two; the rest none).
std::size_t StrayDataBytes(std::uint8_t b) {
  if (b == 0xF1 || b == 0xF3) return 1;
  return b == 0xF2 ? 2 : 0;
}

bool IsKeptTextType(std::uint8_t type) {
  return (type >= 0x01 && type <= 0x07) || type == 0x7F || type == 0x09;
}
}  // namespace

std::uint32_t PeekBe16(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 2; ++i) {
    v = v << 8 | (at + i < bytes.size() ? bytes[at + i] : 0u);
  }
  return v;
}

std::uint32_t PeekBe32(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    v = v << 8 | (at + i < bytes.size() ? bytes[at + i] : 0u);
  }
  return v;
}

bool HasTagAt(std::span<const std::uint8_t> bytes, std::size_t at, const char (&tag)[5]) {
  return at <= bytes.size() && bytes.size() - at >= 4 && std::memcmp(&bytes[at], tag, 4) == 0;
}

void AppendBytes(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
  // A few bytes at a time: a library copy call would cost more than the bytes.
  for (const std::uint8_t b : bytes) out.push_back(b);
}

void AppendBe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void AppendBe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  AppendBe16(out, value >> 16);
  AppendBe16(out, value & 0xFFFF);
}

void AppendVlq(std::vector<std::uint8_t>& out, std::uint32_t value) {
  value = std::min(value, kMaxVlq);
  if (value >= 1u << 21) out.push_back(static_cast<std::uint8_t>(0x80 | (value >> 21)));
  if (value >= 1u << 14) out.push_back(static_cast<std::uint8_t>(0x80 | ((value >> 14) & 0x7F)));
  if (value >= 1u << 7) out.push_back(static_cast<std::uint8_t>(0x80 | ((value >> 7) & 0x7F)));
  out.push_back(static_cast<std::uint8_t>(value & 0x7F));
}

std::size_t VlqSize(std::span<const std::uint8_t> bytes, std::uint32_t* value) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
    v = v << 7 | (bytes[i] & 0x7Fu);
    if ((bytes[i] & 0x80) == 0) {
      if (value != nullptr) *value = v;
      return i + 1;
    }
  }
  return 0;
}

bool HasMacBinaryPrefix(std::span<const std::uint8_t> image) {
  return !HasTagAt(image, 0, "MThd") && HasTagAt(image, kMacBinaryPrefix, "MThd");
}

int ProbeFormat(std::vector<std::uint8_t>& image) {
  if (HasMacBinaryPrefix(image)) {
    image.erase(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(kMacBinaryPrefix));
  }
  const std::uint32_t format = PeekBe16(image, 8);
  if ((format >> 8) != 0) return -1;
  if (format == 0) return 0;
  if (format == 1) return 1;
  return -1;
}

std::int64_t TickLimitFor(std::int32_t division) {
  const std::int64_t d = division > 0 ? division : 480;
  return std::min<std::int64_t>(0x3FFFFFFF, std::int64_t{kMaxVlq} * d / 480);
}

void RawEvent::CopyData(std::uint8_t* out) const {
  if (lead != 0) *out++ = lead;
  if (bytes.size() <= 4) {
    for (const std::uint8_t b : bytes) *out++ = b;  // channel events: two bytes
  } else {
    std::memcpy(out, bytes.data(), bytes.size());
    out += bytes.size();
  }
  for (std::size_t i = 0; i < ownLength; ++i) out[i] = own[i];
}

TrackTokenizer::Step TrackTokenizer::Stop(ErrorCode code) {
  report_(code);
  pos_ = body_.size();
  return Step::kStopped;
}

TrackTokenizer::Step TrackTokenizer::Next(RawEvent& event) {
  if (pos_ >= body_.size()) return Step::kEnd;
  event = RawEvent{};

  // Delta time. Over-long quantities saturate; the tick bound below then stops the track.
  std::uint64_t delta = 0;
  for (;;) {
    if (pos_ >= body_.size()) return Stop(kTrackInternal);
    const std::uint8_t b = body_[pos_++];
    delta = std::min<std::uint64_t>(delta, 0xFFFFFFFFu) << 7 | (b & 0x7Fu);
    if ((b & 0x80) == 0) break;
  }
  ticks_ += static_cast<std::int64_t>(std::min<std::uint64_t>(delta, 0xFFFFFFFFu));
  if (ticks_ > tickLimit_) return Stop(kTrackInternal);
  event.delta = static_cast<std::int32_t>(delta);
  if (pos_ >= body_.size()) return Stop(kTrackInternal);

  const std::uint8_t byte = body_[pos_];
  if (IsStrayStatus(byte)) {
    // A system common or real-time message has no place in a file, but cables record them: the
    // message is passed over with its data bytes, its delta passes on, and reading goes on under
    // the running status in force.
    report_(kStraySystemMessage);
    ++pos_;
    for (std::size_t n = StrayDataBytes(byte); n > 0 && pos_ < body_.size(); --n) {
      if (body_[pos_] >= 0x80) break;
      ++pos_;
    }
    event.status = 0;
    return Step::kEvent;
  }
  // A data byte continues the running status. After a system exclusive or meta event that is
  // the channel status in force before it, as lenient readers take it.
  std::uint8_t status = byte;
  const bool afterSystem = afterSystem_;
  afterSystem_ = false;
  if (IsStatusByte(status)) {
    ++pos_;
  } else {
    status = running_;
    if (status == 0) return Stop(kUndefinedEvent);
    if (afterSystem) report_(kRunningAfterSystem);
  }

  if (status == 0xFF) {
    afterSystem_ = true;
    return ParseMeta(event);
  }

  if (status == 0xF0) {
    afterSystem_ = true;
    // The first 0xF7 ends the message, whatever its length quantity says.
    const auto begin = body_.begin() + static_cast<std::ptrdiff_t>(pos_);
    const auto end = std::find(begin, body_.end(), std::uint8_t{0xF7});
    if (end == body_.end()) return Stop(kTrackInternal);
    const std::size_t n = static_cast<std::size_t>(end - begin) + 1;
    event.status = 0xF0;
    event.lead = 0xF0;
    event.bytes = body_.subspan(pos_, n);
    pos_ += n;
    return Step::kEvent;
  }
  if (status == 0xF7) {
    afterSystem_ = true;
    if (pos_ >= body_.size()) return Stop(kTrackInternal);
    const std::size_t n = std::size_t{body_[pos_]} + 1;
    if (n > body_.size() - pos_) return Stop(kTrackInternal);
    event.status = 0xF7;
    event.lead = 0xF7;
    event.bytes = body_.subspan(pos_, n);
    pos_ += n;
    return Step::kEvent;
  }
  running_ = status;
  if (!ParseChannel(status, event)) return Stop(kTrackInternal);
  return Step::kEvent;
}

bool TrackTokenizer::ParseChannel(std::uint8_t status, RawEvent& event) {
  const std::uint8_t kind = status & 0xF0;
  const std::size_t n = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
  if (n > body_.size() - pos_) return false;
  const std::uint8_t a = body_[pos_];
  const std::uint8_t b = n == 2 ? body_[pos_ + 1] : 0;
  event.lead = status;
  event.bytes = body_.subspan(pos_, n);
  pos_ += n;
  event.channel = status & 0x0F;
  event.status = kind;
  switch (kind) {
    case 0x80:
    case 0x90:
      event.key = a;
      event.velocity = b;
      if (kind == 0x90 && b == 0) {
        event.status = 0x80;
      } else if (a > 127) {
        report_(kBadKey);
        event.key = 0;
        event.velocity = 0;
      }
      break;
    case 0xA0:
      event.key = a;
      event.value = b;
      break;
    case 0xB0:
      event.type = a;
      event.value = b;
      break;
    case 0xC0:
      event.value = a;
      if (a > 127) {
        report_(kBadProgram);
        event.value = 0;
      }
      break;
    case 0xD0:
      event.value = a;
      break;
    default:  // 0xE0
      event.key = a;
      event.value = b;
      break;
  }
  return true;
}

TrackTokenizer::Step TrackTokenizer::ParseMeta(RawEvent& event) {
  // POS_ stands after the 0xFF. Every meta event is read by its own length quantity, so a
  // fixed-length type with another length does not misalign the rest of the track.
  if (pos_ >= body_.size()) return Stop(kTrackInternal);
  const std::uint8_t type = body_[pos_++];
  event.status = 0xFF;
  event.type = type;
  std::uint64_t length = 0;
  for (;;) {
    if (pos_ >= body_.size()) return Stop(kTrackInternal);
    const std::uint8_t b = body_[pos_++];
    length = std::min<std::uint64_t>(length, 0xFFFFFFFFu) << 7 | (b & 0x7Fu);
    if ((b & 0x80) == 0) break;
  }
  if (length > body_.size() - pos_) return Stop(kTrackInternal);
  const auto n = static_cast<std::size_t>(length);
  const auto payload = body_.subspan(pos_, n);
  pos_ += n;
  // A payload byte the file lacks reads as zero.
  auto at = [&](std::size_t i) -> std::uint32_t { return i < n ? payload[i] : 0u; };

  switch (type) {
    case 0x2F:
      break;
    case 0x51:
      // Written back from its value, which is what editing changes.
      event.ownLength = 3;
      event.value = static_cast<std::int32_t>(at(0) << 16 | at(1) << 8 | at(2));
      if (event.value == 0) {
        report_(kBadTempo);
        event.value = kDefaultTempo;
      }
      for (std::size_t i = 0; i < 3; ++i) {
        event.own[i] = static_cast<std::uint8_t>(event.value >> (16 - 8 * i));
      }
      break;
    case 0x58:
      event.ownLength = 4;
      for (std::size_t i = 0; i < 4; ++i) event.own[i] = static_cast<std::uint8_t>(at(i));
      // A zero numerator, or a denominator that is no note value, would break every bar
      // computation: the signature becomes 4/4 in its value and in its bytes alike.
      if (at(0) == 0 || at(1) == 0 || at(1) > 7) {
        report_(kBadTimeSignature);
        event.value = kFourFour;
        event.own[0] = 4;
        event.own[1] = 2;
      } else {
        event.value = static_cast<std::int32_t>(at(0) * 256 + (1u << at(1)));
      }
      break;
    case 0x09:
      event.type = 4;
      [[fallthrough]];
    default:
      // Every other meta event keeps its bytes as read (sequence number, channel prefix, SMPTE
      // offset, key signature, texts, and types this editor has no use for).
      event.bytes = payload;
      if (n == 0 && IsKeptTextType(type)) event.ownLength = 1;  // an empty text is one zero byte
      break;
  }
  return Step::kEvent;
}

}  // namespace zentory::smf
