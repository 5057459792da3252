// Offscreen windows that tests look into, found by caption: the program's
// offscreen windows (graphics/offscreen/) with a "screen" beside the
// surface, a second pixel buffer that each repaint copies the changed part
// of the surface into, so a test sees exactly what the batching of repaints
// let through. The latest window of each caption is kept, also after it was
// destroyed: its surface then holds the last picture drawn.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "graphics/color.h"
#include "graphics/input_event.h"
#include "runtime/text.h"

namespace graphics::offscreen {

// Opens the next windows as inspected offscreen windows, and forgets every
// kept window state (open windows stay open but are no longer found).
void SelectInspectedWindows();

// A copy of one inspected window's state.
struct WindowImage {
  std::int32_t width = 0;         // of the drawing area, pixels
  std::int32_t height = 0;
  std::vector<ColorRef> surface;  // the surface, row by row
  std::vector<ColorRef> screen;   // what the repaints have copied so far
  std::uint64_t repaintCount = 0; // copies made to the screen (skipped ones not counted)
  bool open = false;              // false once the window was destroyed

  ColorRef SurfacePixel(std::int32_t x, std::int32_t y) const { return surface[Index(x, y)]; }
  ColorRef ScreenPixel(std::int32_t x, std::int32_t y) const { return screen[Index(x, y)]; }

 private:
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
};

// The latest inspected window with this caption, or nothing when there has
// been none since SelectInspectedWindows.
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

// Hands `event` to the open window with this caption as its user's input
// (a window opened with an input queue). Returns false when there is no
// such window, or it takes no input.
bool SendOffscreenInput(const runtime::Text& caption, const InputEvent& event);

}  // namespace graphics::offscreen
