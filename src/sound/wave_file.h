// Our RIFF WAVE reader: finds the 'fmt ' and 'data' chunks and reads the samples, checking every
// length against what the file really holds.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "base/ports/speech.h"

namespace zentory {

struct WaveData {
  AudioFormat format;
  std::uint16_t formatTag = 0;
  std::uint16_t blockAlign = 0;
  std::uint32_t dataSize = 0;         // as the 'data' chunk declares it
  std::vector<std::uint8_t> samples;  // at most the limit asked for, whole frames only
  bool shortRead = false;             // the file ends before the samples asked for
};

enum class WaveReadError { kNone, kNotWave, kUnsupported };

// Reads IN from its start. Takes at most MAXBYTES of samples. On failure ERROR says why: not a
// RIFF WAVE file with 'fmt ' and 'data' chunks, or samples that are not 8/16-bit PCM in one or two
// channels.
WaveData ReadWave(std::istream& in, std::size_t maxBytes, WaveReadError* error);

}  // namespace zentory
