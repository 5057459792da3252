// Cutting a typed line into comma-separated fields.
#pragma once

#include "runtime/text.h"

namespace runtime {

// Field `n` (1-based, n >= 1) of `line`:
//  - spaces (0x20 only; tabs are kept) before a field are skipped;
//  - a field that starts with a double quote runs to the next double quote
//    (or the end), spaces kept, whatever follows the closing quote ignored;
//  - otherwise it runs to the first comma or the end, trailing spaces removed.
// An empty line, a line of spaces, a missing field, or n below 1 give the
// empty text. The line itself is not changed. If the result cannot be
// allocated, the empty text is returned and error 7 (out of memory) is
// recorded.
Text SelectField(const Text& line, int n);

}  // namespace runtime
