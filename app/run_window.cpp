#include "app/run_window.h"

#include "graphics/graphic_window.h"

namespace app {

RunPicture OpenRunWindow(const runtime::Text& caption) {
  const graphics::WindowHandle window = graphics::OpenGraphicWindow(caption, windowLeft, windowTop, runWindowWidth, runWindowHeight);
  graphics::AttachGraphicWindow(window);
  graphics::SetGraphicScale(runViewLeft, runViewTop, runViewRight, runViewBottom);
  return graphics::CurrentTargetSurface();
}

void CloseRunWindow(console::ConsoleKeyboard& keyboard) {
  keyboard.SleepMilliseconds(10000);
  graphics::CloseGraphicWindow();
}

}  // namespace app
