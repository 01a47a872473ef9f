// The command line and the standard streams of the command-line programs: arguments arrive as
// UTF-8 and output leaves as the bytes written, on every system.
#pragma once

#include <string>
#include <vector>

namespace zentory {

// The program's arguments as UTF-8, the program itself first. ARGC and ARGV are main's; Windows
// reads the UTF-16 command line instead, so Japanese arguments survive any ANSI code page.
std::vector<std::string> CommandLineArgs(int argc, char** argv);

// A GUI program (the Windows zentory.exe) has no console of its own: a standard stream that was
// not redirected is joined to the console of the program that started it, if there is one, and
// that console shows UTF-8. Elsewhere nothing to do.
void UseParentConsole();

// Standard input, output and error pass bytes unchanged ("\n" stays one byte).
void UseBinaryStandardStreams();

}  // namespace zentory
