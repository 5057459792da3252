// The window system that graphic windows appear on, chosen once per process
// before the first window opens, and its shutdown.
#pragma once

#include "graphics/graphic_window.h"
#include "graphics/native_window.h"

namespace graphics {

enum class WindowSystemKind {
  desktop,    // real windows: X11 on Linux, Win32 on Windows (the program's choice)
  offscreen,  // no display: surfaces in memory (the batch map, benchmarks)
};

// Chooses where the next windows appear. Windows already open stay where
// they are. The default is desktop.
void SelectWindowSystem(WindowSystemKind kind);

// Opens a window as OpenGraphicWindow does, with all of its settings: on
// the window system `kind` whatever the process selected (a batch command
// paints on an offscreen window of its own), and with an input queue when
// `settings.input` is set (graphics/input_event.h). Returns the frame's
// handle, or 0 when the window cannot be made.
WindowHandle OpenWindow(WindowSystemKind kind, const WindowSettings& settings);

// Opens a window with all of its settings on the window system selected
// (SelectWindowSystem): the explorer's window, on the desktop or, in tests,
// on theirs.
WindowHandle OpenWindow(const WindowSettings& settings);

// The same with a window system of the caller's own: the tests' windows
// that they look into.
void SelectWindowSystem(NativeWindowFactory factory);

// Ends every window still open (it just vanishes, as at process end) and
// joins every window thread. Called by the process frame after the main
// routine has returned, so that no window thread is alive while static
// objects are destroyed; also run at exit as a safety net. Windows may be
// opened again afterwards.
void ShutdownWindowSystem();

}  // namespace graphics
