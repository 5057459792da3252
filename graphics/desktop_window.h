// The desktop's own window system, chosen when the program is built: X11 on
// Linux (graphics/x11/), Win32 drawn with GDI on Windows (graphics/gdi/),
// canvases in the page in a browser (graphics/web/).
// Each backend implements these two functions; nothing else of the graphics
// subsystem knows which one it runs on.
#pragma once

#include <memory>

#include "graphics/native_window.h"

namespace graphics::desktop {

// Makes the window system ready for windows that several threads open and
// serve; once per process, before the first window. Safe to call again.
void PrepareWindowSystem();

// The factory of desktop windows; null when the desktop cannot show one (no
// display, no resources).
std::unique_ptr<NativeWindow> MakeDesktopWindow(const WindowSettings& settings,
                                                std::shared_ptr<const Surface> surface);

}  // namespace graphics::desktop
