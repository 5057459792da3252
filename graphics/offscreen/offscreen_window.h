// The offscreen window system: windows without a display. The surface is
// the whole window; nothing is shown anywhere, and nobody closes a window
// but the program. For `magpend map` (the map window's picture) and the
// benchmarks; the tests wrap it to look inside (tests/support/).
#pragma once

#include <memory>

#include "graphics/native_window.h"

namespace graphics::offscreen {

// The factory of offscreen windows; never fails for a valid size.
std::unique_ptr<NativeWindow> MakeOffscreenWindow(const WindowSettings& settings,
                                                  std::shared_ptr<const Surface> surface);

}  // namespace graphics::offscreen
