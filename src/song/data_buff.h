// A byte block with a used size and a cursor: the image of a file being read, or a track chunk
// being encoded. The capacity is the limit the block may reach, not an allocation: storage grows
// as bytes arrive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentory {

class CDataBuff {
 public:
  static constexpr std::int32_t kStandardCapacity = 0x60000;

  explicit CDataBuff(std::int32_t capacity = kStandardCapacity) : capacity_(capacity) {}

  std::int32_t Capacity() const { return capacity_; }
  void SetCapacity(std::int32_t capacity) { capacity_ = capacity; }
  std::int32_t UsedSize() const { return usedSize_; }
  // Sets the used size (clamped to 0..capacity); the block grows zero-filled to cover it.
  void SetUsedSize(std::int32_t size);
  std::int32_t Cursor() const { return cursor_; }
  void SetCursor(std::int32_t cursor) { cursor_ = cursor; }

  // The used bytes; Bytes().size() == UsedSize().
  std::vector<std::uint8_t>& Bytes() { return bytes_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // Byte I of the used part, 0 outside it.
  std::uint8_t At(std::int32_t i) const {
    return i >= 0 && i < usedSize_ ? bytes_[static_cast<std::size_t>(i)] : 0;
  }
  // Appends N bytes when they fit the capacity; false (nothing appended) otherwise.
  bool Append(const std::uint8_t* bytes, std::int32_t n);
  // Empties the block (used size and cursor 0); the capacity stays.
  void ClearBytes();

  // Reads up to Capacity() bytes from the start of PATH (used size = bytes read, cursor 0).
  bool LoadFile(const std::string& path);
  // Writes the used bytes as the whole file PATH.
  bool SaveFile(const std::string& path) const;

 private:
  std::int32_t usedSize_ = 0;
  std::int32_t cursor_ = 0;
  std::int32_t capacity_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace zentory
