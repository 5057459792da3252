// What tests can see of offscreen windows, found by caption. The latest
// window of each caption is kept, also after it was destroyed: its surface
// is then the snapshot taken at destruction.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "graphics/color.h"
#include "runtime/text.h"

namespace graphics::offscreen {

// A copy of one offscreen window's state.
struct WindowImage {
  std::int32_t width = 0;         // of the drawing area, pixels
  std::int32_t height = 0;
  std::vector<ColorRef> surface;  // the surface, row by row (at destruction, if destroyed)
  std::vector<ColorRef> screen;   // what the repaints have copied so far
  std::uint64_t repaintCount = 0; // copies made to the screen (skipped ones not counted)
  bool open = false;              // false once the window was destroyed
  // The window thread's waits for activity: whether it is in one now, and
  // how many had a timeout (it waits with one while a change waits to be
  // shown, and makes an idle pass when nothing arrives).
  bool waiting = false;
  std::uint64_t timedWaits = 0;

  ColorRef SurfacePixel(std::int32_t x, std::int32_t y) const { return surface[Index(x, y)]; }
  ColorRef ScreenPixel(std::int32_t x, std::int32_t y) const { return screen[Index(x, y)]; }

 private:
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
};

// The latest offscreen window with this caption, or nothing when there has
// been none (since the last ForgetOffscreenWindows).
std::optional<WindowImage> InspectOffscreenWindow(const runtime::Text& caption);

// The surface alone of that window (as WindowImage::surface): for tests
// that look at many states of a window, at half the copying.
std::optional<std::vector<ColorRef>> InspectOffscreenSurface(const runtime::Text& caption);

// Whether CloseOffscreenWindowAsUser waits for the window to be gone.
enum class CloseWait { no, untilDestroyed };

// Closes the open window with this caption from the user's side, as its
// close button would: the window thread destroys it on its next turn.
// Returns false when no such window is open.
bool CloseOffscreenWindowAsUser(const runtime::Text& caption, CloseWait wait);

// Drops every kept window state (open windows stay open but are no longer
// found).
void ForgetOffscreenWindows();

}  // namespace graphics::offscreen
