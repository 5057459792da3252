// The offscreen window system: windows without a display, for tests and
// benchmarks. The window's "screen" is a second pixel buffer that each
// repaint copies the changed part of the surface into, so a test can see
// exactly what the batching of repaints let through.
#pragma once

#include <memory>

#include "graphics/native_window.h"

namespace graphics::offscreen {

// The factory of offscreen windows; never fails for a valid size.
std::unique_ptr<NativeWindow> MakeOffscreenWindow(const WindowSettings& settings,
                                                  std::shared_ptr<const Surface> surface);

}  // namespace graphics::offscreen
