// Win32 input messages as the program's input events (graphics/input_event.h):
// what the drawing area's window procedure queues when its window was opened
// with an input queue.
//
//   WM_LBUTTONDOWN/UP, WM_RBUTTONDOWN/UP,   buttonPress / buttonRelease at the
//   WM_MBUTTONDOWN/UP                       message's client position
//   WM_MOUSEMOVE                            motion
//   WM_MOUSEWHEEL                           wheel, whole notches of WHEEL_DELTA
//   WM_KEYDOWN                              Escape, Backspace, Home, arrows
//   WM_CHAR                                 a printable character, as typed
//
// Characters come from WM_CHAR (made by TranslateMessage from WM_KEYDOWN)
// because only it knows Shift and the keyboard layout: S typed with Shift is
// 'S', without it 's'.
#pragma once

#include <windows.h>

#include <optional>

#include "graphics/input_event.h"

namespace graphics::gdi {

// The event of a mouse button or motion message whose lParam holds the
// pointer's client position; none for every other message.
std::optional<InputEvent> PointerEvent(UINT message, LPARAM lParam);

// The event of WM_KEYDOWN's virtual key, for the keys that have no character
// of their own; none for the others.
std::optional<InputEvent> KeyDownEvent(WPARAM virtualKey);

// The event of WM_CHAR's character (a code unit of the window's ANSI code
// page); none for control characters (Escape, Backspace and Ctrl+letter
// come as their WM_KEYDOWN, or not at all).
std::optional<InputEvent> CharacterEvent(WPARAM character);

// Whole wheel notches from WM_MOUSEWHEEL's deltas: a fine-grained wheel sends
// parts of a notch (WHEEL_DELTA, 120), which add up until they make one.
class WheelNotches {
 public:
  // The notches that `delta` completes; positive away from the user.
  int Add(int delta);

 private:
  int rest_ = 0;  // a part of a notch, not yet turned into one
};

}  // namespace graphics::gdi
