#include "song/music_event.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "song/midi_values.h"
#include "song/song_errors.h"

namespace zentory {

CMusicEvent::CMusicEvent(const CMusicEvent& other)
    : status(other.status),
      delta(other.delta),
      key(other.key),
      length(other.length),
      velocity(other.velocity),
      type(other.type),
      value(other.value),
      channel(other.channel),
      dataLength_(other.dataLength_),
      blockSize_(other.blockSize_),
      inline_(other.inline_) {
  if (blockSize_ > kInline) {
    heap_ = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(blockSize_));
    std::memcpy(heap_.get(), other.heap_.get(), static_cast<std::size_t>(blockSize_));
  }
}

CMusicEvent& CMusicEvent::operator=(const CMusicEvent& other) {
  if (this != &other) {
    CMusicEvent copy(other);
    *this = std::move(copy);
  }
  return *this;
}

CMusicEvent::CMusicEvent(CMusicEvent&& other) noexcept
    : status(other.status),
      delta(other.delta),
      key(other.key),
      length(other.length),
      velocity(other.velocity),
      type(other.type),
      value(other.value),
      channel(other.channel),
      dataLength_(other.dataLength_),
      blockSize_(other.blockSize_),
      heap_(std::move(other.heap_)),
      inline_(other.inline_) {
  other.dataLength_ = 0;
  other.blockSize_ = 0;
}

CMusicEvent& CMusicEvent::operator=(CMusicEvent&& other) noexcept {
  if (this != &other) {
    status = other.status;
    delta = other.delta;
    key = other.key;
    length = other.length;
    velocity = other.velocity;
    type = other.type;
    value = other.value;
    channel = other.channel;
    dataLength_ = other.dataLength_;
    blockSize_ = other.blockSize_;
    heap_ = std::move(other.heap_);
    inline_ = other.inline_;
    other.dataLength_ = 0;
    other.blockSize_ = 0;
  }
  return *this;
}

void CMusicEvent::Reallocate(std::int32_t size, std::int32_t keep) {
  keep = std::clamp(keep, 0, std::min(size, blockSize_));
  if (size > kInline) {
    auto block = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size));  // zeroed
    if (keep > 0) std::memcpy(block.get(), Block(), static_cast<std::size_t>(keep));
    heap_ = std::move(block);
    if (blockSize_ <= kInline) inline_.fill(0);
  } else {
    std::array<std::uint8_t, kInline> fresh{};
    if (keep > 0) std::memcpy(fresh.data(), Block(), static_cast<std::size_t>(keep));
    inline_ = fresh;
    heap_.reset();
  }
  blockSize_ = size;
}

void CMusicEvent::SetData(const std::uint8_t* bytes, std::int32_t n) {
  AssignData(bytes, n);
  if (n > kLargeData && dataLength_ == n) MuevError(muev::kDataTooLong);
}

void CMusicEvent::AssignData(const std::uint8_t* bytes, std::int32_t n) {
  if (n <= 0 || bytes == nullptr) return;
  if (n > kMaxData) {
    MuevError(muev::kDataAccess);
    return;
  }
  const std::uint8_t* own = Block();
  if (blockSize_ > 0 && bytes >= own && bytes < own + blockSize_) {
    // The bytes come from this event's own block, which is about to be replaced.
    std::vector<std::uint8_t> copy(bytes, bytes + n);
    AssignData(copy.data(), n);
    return;
  }
  blockSize_ = 0;  // nothing of the old block is kept
  heap_.reset();
  Reallocate(n + kDataSlack, 0);
  std::memcpy(Block(), bytes, static_cast<std::size_t>(n));
  dataLength_ = n;
}

void CMusicEvent::SetData(std::span<const std::uint8_t> bytes) {
  SetData(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

void CMusicEvent::ClearData() {
  heap_.reset();
  inline_.fill(0);
  blockSize_ = 0;
  dataLength_ = 0;
}

void CMusicEvent::ResizeData(std::int32_t n) {
  // A block smaller than the data would leave DataLength() bytes outside it.
  if (n > kMaxData) {
    MuevError(muev::kDataAccess);
    return;
  }
  const std::int32_t size = std::max(n, dataLength_) + kDataSlack;
  Reallocate(size, dataLength_);
}

std::uint8_t CMusicEvent::GetByte(std::int32_t i) const {
  if (i < 0 || i >= blockSize_) {
    MuevError(muev::kDataAccess);
    return 0;
  }
  return Block()[i];
}

std::uint8_t* CMusicEvent::BytePointer(std::int32_t i) {
  if (i < 0 || i >= blockSize_) {
    MuevError(muev::kDataAccess);
    return nullptr;
  }
  return Block() + i;
}

void CMusicEvent::SetByte(std::int32_t i, std::uint8_t b) {
  if (blockSize_ == 0 || i < 0 || i >= kMaxData) {
    MuevError(muev::kDataAccess);
    return;
  }
  if (i >= blockSize_) Reallocate(i + 1 + kDataSlack, blockSize_);
  Block()[i] = b;
}

std::string CMusicEvent::DataText() const {
  const std::uint8_t* p = Block();
  std::int32_t n = 0;
  while (n < dataLength_ && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
}

bool CMusicEvent::IsPortB() const { return IsPortBName(DataText()); }

namespace {
// x of a GS part address (40 1x .. / 40 4x ..) -> channel: 0 is the drum part (channel 9).
std::int32_t GsPartChannel(std::uint8_t addressMiddle) {
  const std::int32_t x = addressMiddle & 0x0F;
  if (x == 0) return 9;
  if (x <= 9) return x - 1;
  return x;
}
}  // namespace

void CMusicEvent::ClassifySysEx() {
  auto at = [this](std::int32_t i) { return PeekByte(i); };
  type = 0;
  if (at(2) == 0x7F && at(3) == 0x7F && at(4) == 0x04 && at(8) == 0xF7) {
    if (at(5) == 0x01) {
      type = sysex::kMasterVolume;
      value = at(7);
      return;
    }
    if (at(5) == 0x02) {
      type = sysex::kMasterBalance;
      value = at(7);
      return;
    }
  }
  if (at(2) == 0x7E && at(3) == 0x7F && at(4) == 0x09 && at(5) == 0x01 && at(6) == 0xF7) {
    type = sysex::kGmSystemOn;
    return;
  }
  if (at(2) == 0x41 && at(3) == 0x10 && at(4) == 0x42 && at(5) == 0x12) {
    const std::uint8_t a1 = at(6), a2 = at(7), a3 = at(8);
    const std::int32_t data = at(9);
    if (a1 == 0x40 && a2 == 0x00 && a3 == 0x04) {
      type = sysex::kMasterVolume;
      value = data;
    } else if (a1 == 0x00 && a2 == 0x00 && a3 == 0x7F) {
      type = sysex::kGsReset;
    } else if (a1 == 0x40 && (a2 & 0xF0) == 0x10 && a3 == 0x15) {
      type = sysex::kGsRhythmPart;
      value = data;
      channel = GsPartChannel(a2);
    } else if (a1 == 0x40 && (a2 & 0xF0) == 0x40 && a3 == 0x20) {
      type = sysex::kGsEqSwitch;
      value = data;
      channel = GsPartChannel(a2);
    } else if (a1 == 0x40 && a2 == 0x02 && a3 <= 0x03) {
      type = 65u + a3;
      value = data;
    } else if (a1 == 0x40 && a2 == 0x01) {
      if (a3 >= 0x30 && a3 <= 0x35) {
        type = 20u + (a3 - 0x30u);
      } else if (a3 >= 0x37 && a3 <= 0x40) {
        type = 32u + (a3 - 0x37u);
      } else if (a3 >= 0x50 && a3 <= 0x59) {
        type = 48u + (a3 - 0x50u);
      } else if (a3 == 0x5A) {
        type = 64;
      }
      if (type != 0) value = data;
    }
    return;
  }
  if (at(2) == 0x43 && at(3) == 0x79 && at(4) == 0x06 && at(5) == 0x7F && at(8) == 0xF7) {
    type = sysex::kDeviceVoice;
  }
}

CMusicEvent MakeEndOfTrack(std::int32_t delta) {
  static constexpr std::uint8_t kBytes[] = {0xFF, 0x2F, 0x00};
  CMusicEvent e(delta);
  e.status = ev::kMeta;
  e.type = ev::kMetaEndOfTrack;
  e.SetData(kBytes);
  return e;
}

CMusicEvent MakeTempoEvent(std::int32_t delta, std::int32_t microseconds) {
  CMusicEvent e(delta);
  e.status = ev::kMeta;
  e.type = ev::kMetaTempo;
  e.value = microseconds;
  const auto v = static_cast<std::uint32_t>(microseconds);
  const std::uint8_t bytes[] = {static_cast<std::uint8_t>(v >> 16),
                                static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  e.SetData(bytes);
  return e;
}

CMusicEvent MakeMetaEvent(std::int32_t delta, std::uint32_t type,
                          std::span<const std::uint8_t> bytes) {
  CMusicEvent e(delta);
  e.status = ev::kMeta;
  e.type = type;
  e.SetData(bytes);
  return e;
}

CMusicEvent MakeNoteEvent(std::int32_t delta, std::int32_t channel, std::int32_t key,
                          std::int32_t length, std::uint32_t velocity) {
  CMusicEvent e(delta);
  e.status = ev::kNote;
  e.channel = channel;
  e.key = key;
  e.length = length;
  e.velocity = velocity;
  return e;
}

}  // namespace zentory
