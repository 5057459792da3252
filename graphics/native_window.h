// What a window system must do for one graphic window: the small interface
// between the window lifecycle and a backend (X11 on Linux, GDI on Windows,
// a canvas of the page in a browser, offscreen without any display; the
// tests add their own around the offscreen one).
//
// A native window is made, used and destroyed on its window thread only;
// `Wake` is the one member other threads may call, at any time until the
// object itself is deleted (also after `Destroy`).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "graphics/input_event.h"
#include "graphics/surface.h"
#include "runtime/text.h"

namespace graphics {

// Everything a window opens with: OpenGraphicWindow's arguments and,
// for a window that passes on the user's input (OpenWindow), its queue.
struct WindowSettings {
  runtime::Text caption;  // title bar text; empty: no title bar
  int x = 0;              // screen position of the frame's outer top-left corner
  int y = 0;
  int width = 0;          // of the drawing area, pixels
  int height = 0;
  // Where the user's input goes (graphics/input_event.h); null: input is
  // ignored, as in the form's two runs.
  std::shared_ptr<InputQueue> input;
};

// What happened since the last look at the window system.
enum class WindowEvent {
  none,            // nothing that ends the window
  closeRequested,  // the user asked to close (close button, window menu)
  vanished,        // the window or the connection to the display is gone
};

// Whether anything arrived while waiting.
enum class Activity { none, arrived };

// The timeout of a wait that lasts until something arrives.
inline constexpr std::chrono::microseconds untilActivity = std::chrono::microseconds::max();

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;

  // Shows and activates the frame; returns once the window system shows the
  // drawing area (or after a short bound, when it never says so).
  virtual void Show() = 0;

  // Handles every event that is already there, without waiting: paints
  // exposed parts from the surface, notes close requests.
  virtual WindowEvent DispatchEvents() = 0;

  // Copies `area` of the surface onto the screen.
  virtual void Paint(PixelRect area) = 0;

  // Waits up to `timeout` (untilActivity: without a bound) for an event or
  // a `Wake`. A `Wake` that came before the wait ends it at once.
  virtual Activity WaitForActivity(std::chrono::microseconds timeout) = 0;

  // Ends a wait of the window thread early (any thread).
  virtual void Wake() = 0;

  // Destroys the frame and the drawing area and lets go of the display.
  // After a `vanished` event it only releases what is left.
  virtual void Destroy() = 0;

  // What the window thread must go on doing while the window system holds
  // it in a loop of its own inside an event handler (Windows runs one while
  // the user moves the window or opens its window menu): serve the requests
  // of other threads and show the surface's changes. Called on the window
  // thread, after a `Wake` and regularly while such a loop lasts. A backend
  // whose handlers never loop ignores it.
  virtual void SetModalLoopWork(std::function<void()> work) { static_cast<void>(work); }
};

// Makes the native window for `settings`, painting from `surface`; null when
// the window system cannot (no display, no resources). Runs on the window
// thread.
using NativeWindowFactory = std::unique_ptr<NativeWindow> (*)(
    const WindowSettings& settings, std::shared_ptr<const Surface> surface);

// A caption as the UTF-8 title a window system shows: bytes above 0x7F are
// taken as Latin-1 (the program's captions are plain ASCII).
std::string CaptionAsUtf8(const runtime::Text& caption);

}  // namespace graphics
