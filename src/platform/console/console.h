// The command line and the standard streams of the command-line programs: arguments arrive as
// UTF-8 and output leaves as the bytes written, on every system.
#pragma once

#include <string>
#include <vector>

namespace zentory {

// The program's arguments as UTF-8, the program itself first. ARGC and ARGV are main's; Windows
// reads the UTF-16 command line instead, so Japanese arguments survive any ANSI code page.
std::vector<std::string> CommandLineArgs(int argc, char** argv);

// Standard input, output and error pass bytes unchanged ("\n" stays one byte).
void UseBinaryStandardStreams();

}  // namespace zentory
