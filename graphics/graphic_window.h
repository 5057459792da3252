// Graphic windows: a top-level frame whose whole client area is a drawing
// area backed by a persistent pixel surface of exactly the same size.
//
// Drawing (graphics/drawing.h) never paints on the screen: it changes the
// surface, and the screen shows a copy that is brought up to date in
// batches. What was drawn survives covering and uncovering the window.
//
// Each window is served by a thread of its own, which creates the window,
// answers the window system's events and repaints the screen from the
// surface. The program's thread draws on one drawing area at a time, its
// current target (one per thread).
//
// Typical use:
//   const WindowHandle window = OpenGraphicWindow("Title", 100, 100, 800, 600);
//   AttachGraphicWindow(window);
//   SetGraphicScale(-200, 150, 200, -150);
//   ... drawing operations ...
//   CloseGraphicWindow();
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/text.h"

namespace graphics {

class Surface;

// A window: a frame or a drawing area. 0 is no window. Handles are never
// reused within a process, so an old handle never finds a newer window.
using WindowHandle = std::uint64_t;

// Opens a window: the frame's outer top-left corner at screen (x, y), its
// drawing area exactly width x height pixels, filled with the dialog-face
// colour; the caption in the title bar (no title bar when it is empty); a
// fixed-size frame. Starts the window's thread and waits until the window
// is shown. Returns the frame's handle, or 0 when the
// window cannot be made (no display, a size outside 1-32767, no memory).
WindowHandle OpenGraphicWindow(const runtime::Text& caption, int x, int y, int width, int height);

// Makes a drawing area the calling thread's current target: the area of the
// frame `handle`, or `handle` itself when it is no frame with an area. When that is no
// drawing area: records error 5 (invalid argument) and leaves the thread
// without a target. Does not take the DrawingLock. Drawing on it brings the
// screen up to date at least every 150th operation, and whenever the window
// thread asks for it.
void AttachGraphicWindow(WindowHandle handle);

// Maps the user rectangle with corners (x1, y1) and (x2, y2) onto the whole
// drawing area of the current target: (x1, y1) at its top-left corner,
// (x2, y2) at its bottom-right corner (one past the last pixel). x1 == x2 or
// y1 == y2 is ignored and the earlier scale stays. Without a target (or
// after its window was destroyed) nothing happens.
void SetGraphicScale(float x1, float y1, float x2, float y2);

// The current target's surface, shared: it outlives the window, keeping
// the last picture drawn (also after the user closed the window, when
// drawing no longer reaches it). Null without a target.
std::shared_ptr<const Surface> CurrentTargetSurface();

// Closes the current target's window and waits until its thread has
// destroyed it. Without a target, or when the window is already gone,
// nothing happens. The thread keeps its (now dead) target.
void CloseGraphicWindow();

}  // namespace graphics
