// The line editor of the parameter form: reads one line from the keyboard,
// echoing each accepted character at the cursor.
#pragma once

#include <cstddef>

#include "console/keyboard.h"
#include "console/screen.h"
#include "runtime/text.h"

namespace console {

// The longest line ReadLine keeps; further characters are refused silently.
inline constexpr std::size_t lineCapacity = 10000;

// Reads keys until Enter and returns the line: 0 to lineCapacity bytes of
// the OEM code page, exactly as typed (no trimming, no conversion).
//  - a character 32-255 is appended and echoed with WriteText over whatever
//    the cell showed (the rest of the row is never cleared);
//  - Backspace (8) erases the last character: one cell back, a space in the
//    current colours, one cell back again; nothing on an empty line;
//  - Enter (13) ends the line; the cursor goes to column 1 of the next row;
//  - every other control character (Esc, Tab, Ctrl+C ...) is ignored, and
//    keys without a character never reach the editor.
// A hidden cursor is shown for the duration of the input.
runtime::Text ReadLine(ConsoleScreen& screen, ConsoleKeyboard& keyboard);

}  // namespace console
