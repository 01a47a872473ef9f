// CP932 (Windows Japanese) <-> UTF-8. Inside the program text is UTF-8; CP932 is used where bytes
// leave or enter it: file fields, MIDI text events and byte limits.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zentory {

// Decodes CP932 bytes. A byte sequence that is not CP932 becomes U+FFFD; decoding never fails.
std::string Cp932ToUtf8(std::string_view cp932);

// Encodes UTF-8 text. A character CP932 cannot hold becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);

// Encodes UTF-8 text and keeps at most MAXBYTES bytes, never splitting a double-byte character.
std::string Utf8ToCp932Limited(std::string_view utf8, std::size_t maxBytes);

// PREFIX + TEXT as one line of a log or script output: every control character inside TEXT is
// escaped ("\n", "\r", "\t", "\x1B" for the other C0 bytes and DEL, "\u0085" for the C1
// controls, "\u2028" and "\u2029"), so one text is always one line. No line break is added.
std::string EchoLine(std::string_view prefix, std::string_view text);

// The number of CP932 bytes TEXT takes.
std::size_t Cp932Length(std::string_view utf8);

// The longest start of UTF-8 text, cut between characters, whose CP932 form takes at most
// MAXBYTES bytes. The text stays UTF-8: a character CP932 cannot hold is kept (it counts as the
// one byte of its '?'), so the caller can still tell the user it will not be stored.
std::string Utf8CutToCp932Length(std::string_view utf8, std::size_t maxBytes);

}  // namespace zentory
