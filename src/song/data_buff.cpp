#include "song/data_buff.h"

#include <algorithm>

#include "base/general.h"

namespace zentory {

void CDataBuff::SetUsedSize(std::int32_t size) {
  usedSize_ = std::clamp(size, 0, std::max(capacity_, 0));
  bytes_.resize(static_cast<std::size_t>(usedSize_));
}

bool CDataBuff::Append(const std::uint8_t* bytes, std::int32_t n) {
  if (n < 0 || bytes == nullptr || static_cast<std::int64_t>(usedSize_) + n > capacity_) {
    return false;
  }
  bytes_.insert(bytes_.end(), bytes, bytes + n);
  usedSize_ += n;
  return true;
}

void CDataBuff::ClearBytes() {
  bytes_.clear();
  usedSize_ = 0;
  cursor_ = 0;
}

bool CDataBuff::LoadFile(const std::string& path) {
  ClearBytes();
  if (!ReadWholeFile(path, bytes_, static_cast<std::size_t>(std::max(capacity_, 0)))) {
    bytes_.clear();
    return false;
  }
  usedSize_ = static_cast<std::int32_t>(bytes_.size());
  return true;
}

bool CDataBuff::SaveFile(const std::string& path) const { return WriteWholeFile(path, bytes_); }

}  // namespace zentory
