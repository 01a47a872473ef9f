// zentory.ini beside setup.ini: the settings of what setup.ini's 284-byte record has no room for,
// as UTF-8 "name=value" lines. A missing or damaged file means the defaults; lines this version
// does not know (a newer version's settings, the user's comments) are kept when it is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentory {

class COwnSettings {
 public:
  static constexpr const char* kFileName = "zentory.ini";
  static constexpr const char* kMusicalReadings = "musical_readings";
  static constexpr const char* kVoice = "voice";

  // Reads PATH; without it, or when it cannot be read, every setting has its default (silently:
  // a first start has no such file).
  void Load(const std::string& path);
  // Writes every line back (temporary file + rename). False when the write failed.
  bool Save(const std::string& path) const;

  std::optional<std::string> Get(std::string_view name) const;
  // "1" is on and "0" off; anything else, or no line, is FALLBACK.
  bool GetBool(std::string_view name, bool fallback) const;
  // Replaces the value of NAME's line, or appends one.
  void Set(std::string_view name, std::string_view value);
  void SetBool(std::string_view name, bool value) { Set(name, value ? "1" : "0"); }

 private:
  std::vector<std::string> lines_;
};

}  // namespace zentory
