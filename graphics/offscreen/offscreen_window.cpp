#include "graphics/offscreen/offscreen_window.h"

#include "graphics/wake_signal.h"

namespace graphics::offscreen {

namespace {

// Without a display there are no events: the window thread waits only for
// the program's wake-ups.
class OffscreenWindow final : public NativeWindow {
 public:
  void Show() override {}
  WindowEvent DispatchEvents() override { return WindowEvent::none; }
  void Paint(PixelRect) override {}

  Activity WaitForActivity(std::chrono::microseconds timeout) override { return wake_.Wait(timeout); }
  void Wake() override { wake_.Wake(); }
  void Destroy() override {}

 private:
  WakeSignal wake_;
};

}  // namespace

std::unique_ptr<NativeWindow> MakeOffscreenWindow(const WindowSettings&, std::shared_ptr<const Surface>) {
  return std::make_unique<OffscreenWindow>();
}

}  // namespace graphics::offscreen
