// The X11 window system: each window thread opens its own connection to the
// display and owns a top-level frame with a child drawing area of exactly
// the surface's size, painted from the surface with XPutImage.
//
// A connection that dies (the X server ends, or someone kills the client)
// counts as that window being destroyed; the program goes on. Xlib's
// default reaction would end the process, so two handlers are installed:
// a process-wide I/O error handler that returns, and per connection an
// I/O error exit handler that marks the window as gone and returns; Xlib
// then lets every later call on that connection return at once, and the
// window thread ends. A connection that dies inside XOpenDisplay, before it
// can have an exit handler, is left by a jump from the I/O error handler
// back to the opening: the window does not open, as when no server answers.
// Protocol errors are ignored (noted per thread, so the creation of a
// window can tell that it failed).
#pragma once

#include <memory>

#include "graphics/native_window.h"

namespace graphics::x11 {

// Initialises Xlib for threads and installs the error handlers; once per
// process, before any other Xlib use. Safe to call again.
void PrepareXlib();

// The factory of X11 windows; null when there is no usable display.
std::unique_ptr<NativeWindow> MakeX11Window(const WindowSettings& settings,
                                            std::shared_ptr<const Surface> surface);

}  // namespace graphics::x11
