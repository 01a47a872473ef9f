#include "song/key_signatures.h"

#include <array>

namespace zentory {

namespace {

constexpr std::array<KeySignatureRow, 30> kKeySignatures = {{
    {"C", 0, 0},   {"G", 0, 1},   {"D", 0, 2},   {"A", 0, 3},    {"E", 0, 4},    {"B", 0, 5},
    {"F#", 0, 6},  {"C#", 0, 7},  {"F", 0, -1},  {"Bb", 0, -2},  {"Eb", 0, -3},  {"Ab", 0, -4},
    {"Db", 0, -5}, {"Gb", 0, -6}, {"Cb", 0, -7}, {"Am", 1, 0},   {"Em", 1, 1},   {"Bm", 1, 2},
    {"F#m", 1, 3}, {"C#m", 1, 4}, {"G#m", 1, 5}, {"D#m", 1, 6},  {"A#m", 1, 7},  {"Dm", 1, -1},
    {"Gm", 1, -2}, {"Cm", 1, -3}, {"Fm", 1, -4}, {"Bbm", 1, -5}, {"Ebm", 1, -6}, {"Abm", 1, -7},
}};

}  // namespace

std::span<const KeySignatureRow> KeySignatureTable() { return kKeySignatures; }

const KeySignatureRow* FindKeySignature(std::string_view name) {
  for (const KeySignatureRow& row : kKeySignatures) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

const char* KeySignatureName(int sharps, int minor) {
  for (const KeySignatureRow& row : kKeySignatures) {
    if (row.sharps == sharps && row.minor == minor) return row.name;
  }
  return nullptr;
}

}  // namespace zentory
