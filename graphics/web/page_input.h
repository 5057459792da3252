// The page's pointer, wheel and key events as the program's input events
// (graphics/input_event.h). The page's script (web/explore.js) listens on a
// canvas opened for input and hands each event to the program with the
// DOM's own words, through the functions below; the window of that canvas
// queues what they make. A touch is a pointer too, so a tap is a click.
//
//   pointerdown / pointerup, button 0 1 2   buttonPress / buttonRelease of
//                                           the left, middle, right button
//   pointermove                             motion
//   wheel                                   wheel (the script counts the notches)
//   keydown: Escape, Backspace, Home,       the keys of those names
//            ArrowLeft ... ArrowDown
//   keydown: one character ("Q", "+")       character
#pragma once

#include <optional>
#include <string_view>

#include "graphics/input_event.h"

// Called by the page (on the browser's main thread) for the canvas that the
// page numbered `window`; x and y are canvas pixels from its top-left corner.
extern "C" {
void magpend_page_pointer(int window, const char* type, int button, int x, int y);
void magpend_page_wheel(int window, int notches, int x, int y);
void magpend_page_key(int window, const char* key, int x, int y);
// The page's close button of the window: as the close button of a frame.
void magpend_page_close(int window);
}

namespace graphics::web {

// The event of a DOM pointer event `type` with the DOM's `button` number;
// none for other types and buttons.
std::optional<InputEvent> PointerEventOf(std::string_view type, int button, int x, int y);

// The event of a DOM key name (KeyboardEvent.key); none for keys the program
// does not know (F5, Shift, ...).
std::optional<InputEvent> KeyEventOf(std::string_view key, int x, int y);

}  // namespace graphics::web
