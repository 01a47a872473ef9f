#include "platform/console/console.h"

namespace zentory {

std::vector<std::string> CommandLineArgs(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void UseParentConsole() {}

void UseBinaryStandardStreams() {}

}  // namespace zentory
