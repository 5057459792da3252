// Byte texts: strings of the console's 8-bit code page with an explicit
// length. Every byte value 0-255 is an ordinary character, NUL included.
#pragma once

#include <string>

namespace runtime {

// Equality means same length and same bytes; ordering is byte by byte as
// unsigned values, then by length (std::string's own comparisons).
// Assignment copies. The empty text has length 0.
using Text = std::string;

// A text of one byte: the low 8 bits of `code` (27 gives the Escape text).
Text TextFromCode(int code);

}  // namespace runtime
