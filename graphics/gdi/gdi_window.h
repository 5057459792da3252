// The Win32 window system: each window thread makes a pop-up frame and a
// child drawing area of exactly the surface's size with CreateWindowEx,
// pumps their messages and paints the area from the surface with
// SetDIBitsToDevice, on WM_PAINT and on every repaint the program asks for,
// so the screen shows the very pixels of the surface, as on X11.
//
// While the user moves a window or opens its window menu, Windows runs a
// message loop of its own inside the window procedure; the requests of
// other threads reach the frame there as sent messages, and a timer keeps
// the changes shown while such a loop lasts, so the runs go on.
//
// The close button, the window menu and Alt+F4 end in WM_CLOSE, which the
// frame only notes: the window thread destroys the window as the program's
// own close does. A left click gives the drawing area the focus.
//
// A window opened with an input queue (WindowSettings::input) queues the
// mouse and key messages of its drawing area as input events
// (graphics/gdi/gdi_input.h): the area has the keyboard focus from the start
// (the frame hands it on), and a left button held down captures the mouse
// until its release. Without a queue, keys and clicks are not read.
#pragma once

#include <memory>

#include "graphics/native_window.h"

namespace graphics::gdi {

// The factory of Win32 windows; null when a window cannot be made.
std::unique_ptr<NativeWindow> MakeGdiWindow(const WindowSettings& settings,
                                            std::shared_ptr<const Surface> surface);

}  // namespace graphics::gdi
