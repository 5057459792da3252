#include "graphics/drawing_operation.h"

#include "graphics/drawing_lock.h"
#include "graphics/window_registry.h"
#include "graphics/window_thread.h"

namespace graphics {

namespace {
thread_local WindowHandle currentTarget = 0;

// Whether this operation brings the screen up to date.
bool ShouldRepaintNow(WindowRecord& area) {
  if (area.HasFlag(windowFlag::repaintRequested)) return true;
  ++area.drawCount;
  return area.drawCount >= repaintBatchSize;
}
}  // namespace

WindowHandle CurrentTarget() { return currentTarget; }
void SetCurrentTarget(WindowHandle handle) { currentTarget = handle; }

DrawingOperation::DrawingOperation() : drawingLock_(DrawingLock()) {
  auto record = WindowRegistry::Find(currentTarget);
  if (record && record->kind == RecordKind::drawingArea) target_ = std::move(record);
}

void DrawingOperation::RefreshAfterDraw() {
  WindowRecord& area = *target_;
  const bool alreadyChanged = area.SetFlag(windowFlag::changed);
  if (!ShouldRepaintNow(area)) {
    // The window thread sleeps while its screen shows every pixel.
    if (!alreadyChanged) {
      if (const auto owner = area.owner.lock()) owner->NoteChange();
    }
    return;
  }
  RepaintArea(area);
  area.ClearFlag(windowFlag::repaintRequested);
  area.drawCount = 0;
}

}  // namespace graphics
