// Small builders for Standard MIDI File bytes in tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "song/smf_parse.h"

namespace zentory::smftest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Header(int format, int tracks, int division) {
  Bytes b = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
  smf::AppendBe16(b, static_cast<std::uint32_t>(format));
  smf::AppendBe16(b, static_cast<std::uint32_t>(tracks));
  smf::AppendBe16(b, static_cast<std::uint32_t>(division));
  return b;
}

inline Bytes Chunk(const Bytes& body, const char* tag = "MTrk") {
  Bytes b(tag, tag + 4);
  smf::AppendBe32(b, static_cast<std::uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

inline const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

}  // namespace zentory::smftest
