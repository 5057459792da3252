// The frame around every drawing operation: entering (take the DrawingLock,
// resolve the calling thread's current target) and leaving through
// RefreshAfterDraw, which decides whether the screen is brought up to date
// now.
#pragma once

#include <memory>
#include <mutex>

#include "graphics/graphic_window.h"
#include "graphics/window_record.h"

namespace graphics {

// Drawing operations between two repaints that a drawing operation makes.
constexpr std::uint32_t repaintBatchSize = 150;

// The calling thread's current target (0: none). Kept when its window is
// destroyed; it then no longer resolves.
WindowHandle CurrentTarget();
void SetCurrentTarget(WindowHandle handle);

// Holds the DrawingLock from construction to destruction.
class DrawingOperation {
 public:
  // Takes the DrawingLock and resolves the current target.
  DrawingOperation();
  DrawingOperation(const DrawingOperation&) = delete;
  DrawingOperation& operator=(const DrawingOperation&) = delete;

  // The drawing area to draw on, or null: then the operation does nothing.
  WindowRecord* Target() const { return target_.get(); }

  // After drawing: marks the area `changed` and repaints now when the
  // window thread asked for it or the batch is full.
  void RefreshAfterDraw();

 private:
  std::unique_lock<std::mutex> drawingLock_;  // first: let go of last
  std::shared_ptr<WindowRecord> target_;      // keeps the surface alive to the end
};

}  // namespace graphics
