// The folder of the public test files (the MIDI edge cases) is found through one setting: the
// environment variable ZENTORY_TESTDATA, else the folder compiled in beside the repository
// (ZENTORY_TESTDATA_DIR). A test that needs it skips itself, naming the path it looked at, when
// the folder is absent (a bare clone).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace zentory::test_support {

inline std::filesystem::path TestDataPath(std::string_view sub) {
  const char* set = std::getenv("ZENTORY_TESTDATA");
  const std::filesystem::path root = set != nullptr && *set != '\0' ? set : ZENTORY_TESTDATA_DIR;
  return root / sub;
}

inline std::string MissingTestData(const std::filesystem::path& path) {
  return "no test data at " + path.string() + " (set ZENTORY_TESTDATA to the testdata folder)";
}

}  // namespace zentory::test_support

// Declares VAR as the path of SUB inside the test-data folder, or skips the test when that folder
// does not exist.
#define ZENTORY_TESTDATA_OR_SKIP(var, sub)                                      \
  const std::filesystem::path var = ::zentory::test_support::TestDataPath(sub); \
  if (!std::filesystem::is_directory(var))                                      \
  GTEST_SKIP() << ::zentory::test_support::MissingTestData(var)
