// Windows in a web page: the program runs in a worker, and each graphic
// window is a canvas of the drawing area's size that the page shows under
// the window's caption while the window is open. A repaint copies the
// changed part of the surface into the canvas, pixel for pixel, as the
// desktop backends copy it onto the screen. The page offers no way to close
// the form's windows, so they end only as the program ends them.
//
// A window opened with an input queue (WindowSettings::input) asks the page
// for a canvas that takes input: the page then sends its pointer, wheel and
// key events and its close button (graphics/web/page_input.h), which the
// window queues.
#pragma once

#include <memory>

#include "graphics/native_window.h"

namespace graphics::web {

// The factory of page windows; null when the page cannot show one.
std::unique_ptr<NativeWindow> MakePageWindow(const WindowSettings& settings,
                                             std::shared_ptr<const Surface> surface);

}  // namespace graphics::web
