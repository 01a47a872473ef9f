#include "sound/wave_file.h"

#include <algorithm>
#include <istream>

namespace zentory {

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

bool ReadBytes(std::istream& in, std::uint8_t* out, std::size_t n) {
  in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
  return static_cast<std::size_t>(in.gcount()) == n;
}

// Skips N bytes; false when the file ends first.
bool Skip(std::istream& in, std::uint64_t n) {
  char buffer[4096];
  while (n > 0) {
    const auto step = static_cast<std::streamsize>(std::min<std::uint64_t>(n, sizeof buffer));
    in.read(buffer, step);
    if (in.gcount() != step) return false;
    n -= static_cast<std::uint64_t>(step);
  }
  return true;
}

WaveData Fail(WaveReadError* error, WaveReadError why) {
  if (error) *error = why;
  return {};
}

}  // namespace

WaveData ReadWave(std::istream& in, std::size_t maxBytes, WaveReadError* error) {
  if (error) *error = WaveReadError::kNone;
  std::uint8_t head[12];
  if (!ReadBytes(in, head, sizeof head) || !std::equal(head, head + 4, "RIFF") ||
      !std::equal(head + 8, head + 12, "WAVE")) {
    return Fail(error, WaveReadError::kNotWave);
  }
  WaveData wave;
  bool haveFormat = false;
  for (;;) {
    std::uint8_t chunk[8];
    if (!ReadBytes(in, chunk, sizeof chunk)) return Fail(error, WaveReadError::kNotWave);
    const std::uint32_t size = Le32(chunk + 4);
    const std::uint64_t padded = size + (size & 1u);
    if (std::equal(chunk, chunk + 4, "fmt ")) {
      if (size < 16) return Fail(error, WaveReadError::kNotWave);
      std::uint8_t fmt[16];
      if (!ReadBytes(in, fmt, sizeof fmt) || !Skip(in, padded - 16)) {
        return Fail(error, WaveReadError::kNotWave);
      }
      wave.formatTag = Le16(fmt);
      wave.format.channels = Le16(fmt + 2);
      wave.format.rate = static_cast<int>(std::min<std::uint32_t>(Le32(fmt + 4), 1u << 30));
      wave.blockAlign = Le16(fmt + 12);
      wave.format.bits = Le16(fmt + 14);
      haveFormat = true;
      continue;
    }
    if (!std::equal(chunk, chunk + 4, "data")) {
      if (!Skip(in, padded)) return Fail(error, WaveReadError::kNotWave);
      continue;
    }
    if (!haveFormat) return Fail(error, WaveReadError::kNotWave);
    const bool pcm = wave.formatTag == 1 && (wave.format.bits == 8 || wave.format.bits == 16) &&
                     (wave.format.channels == 1 || wave.format.channels == 2) &&
                     wave.format.rate >= 1000;
    if (!pcm) return Fail(error, WaveReadError::kUnsupported);
    wave.dataSize = size;
    const std::size_t frame = static_cast<std::size_t>(wave.format.bits / 8 * wave.format.channels);
    std::size_t want = std::min<std::size_t>(size, maxBytes);
    want -= want % frame;
    wave.samples.resize(want);
    in.read(reinterpret_cast<char*>(wave.samples.data()), static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got < want) {
      wave.shortRead = true;
      wave.samples.resize(got - got % frame);
    }
    return wave;
  }
}

}  // namespace zentory
