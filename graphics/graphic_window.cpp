#include "graphics/graphic_window.h"

#include "graphics/drawing_operation.h"
#include "graphics/scale.h"
#include "graphics/window_registry.h"
#include "graphics/window_thread.h"
#include "runtime/error.h"

namespace graphics {

void AttachGraphicWindow(WindowHandle handle) {
  const auto area = WindowRegistry::FindArea(handle);
  const WindowHandle window = area ? area->handle : handle;
  SetCurrentTarget(0);
  const auto record = WindowRegistry::Find(window);
  if (!record || record->kind != RecordKind::drawingArea) {
    runtime::RecordError(runtime::ErrorNumber::invalidArgument);
    return;
  }
  SetCurrentTarget(window);
}

void SetGraphicScale(float x1, float y1, float x2, float y2) {
  DrawingOperation operation;
  if (operation.Target() == nullptr) return;
  ApplyGraphicScale(*operation.Target(), x1, y1, x2, y2);
}

std::shared_ptr<const Surface> CurrentTargetSurface() {
  DrawingOperation operation;
  if (operation.Target() == nullptr) return nullptr;
  return operation.Target()->surface;
}

void CloseGraphicWindow() {
  DrawingOperation operation;
  if (operation.Target() == nullptr) return;
  // Waits with the DrawingLock held; the window thread destroys without it.
  if (const auto owner = operation.Target()->owner.lock()) owner->RequestClose();
}

}  // namespace graphics
