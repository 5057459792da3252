#include "graphics/web/page_window.h"

#include <emscripten/em_asm.h>
#include <emscripten/emscripten.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/desktop_window.h"
#include "graphics/web/page_input.h"
#include "graphics/wake_signal.h"

namespace graphics::web {

namespace {

// The canvas takes RGBA bytes; a ColorRef (0x00BBGGRR) in little-endian
// memory is R, G, B and a zero byte, which becomes the opaque alpha.
constexpr ColorRef opaque = 0xFF000000;

class PageWindow;

// The page's windows opened for input, by canvas number: where the page's
// events go. The page calls in on its own thread while a window thread may
// be destroying its window; the lock keeps the two apart.
struct InputWindows {
  std::mutex mutex;
  std::map<int, PageWindow*> windows;
};

InputWindows& TheInputWindows() {
  static InputWindows* const windows = new InputWindows;
  return *windows;
}

class PageWindow final : public NativeWindow {
 public:
  PageWindow(int canvasId, std::shared_ptr<const Surface> surface,
             std::shared_ptr<InputQueue> input)
      : canvasId_(canvasId), surface_(std::move(surface)), input_(std::move(input)) {
    if (!input_) return;
    InputWindows& inputWindows = TheInputWindows();
    std::lock_guard lock(inputWindows.mutex);
    inputWindows.windows[canvasId_] = this;
  }
  ~PageWindow() override { Destroy(); }

  // Runs `use` on the input window of canvas `canvasId`, if it is open.
  template <typename Use>
  static void WithInputWindow(int canvasId, Use use) {
    InputWindows& inputWindows = TheInputWindows();
    std::lock_guard lock(inputWindows.mutex);
    const auto found = inputWindows.windows.find(canvasId);
    if (found != inputWindows.windows.end()) use(*found->second);
  }

  void Queue(const std::optional<InputEvent>& event) {
    if (event) input_->Push(*event);
  }

  void RequestClose() {
    closeRequested_ = true;
    Wake();
  }

  // The canvas is in the page from its making on; it shows the surface at
  // once, as a desktop window shows it when it is first exposed.
  void Show() override { Paint({0, 0, surface_->Width(), surface_->Height()}); }

  WindowEvent DispatchEvents() override {
    return closeRequested_ ? WindowEvent::closeRequested : WindowEvent::none;
  }

  void Paint(PixelRect area) override {
    area = area.IntersectedWith({0, 0, surface_->Width(), surface_->Height()});
    if (area.IsEmpty() || canvasId_ < 0) return;
    const auto width = static_cast<std::size_t>(area.Width());
    pixels_.resize(width * static_cast<std::size_t>(area.Height()));
    surface_->ReadArea(area, [&](std::int32_t x, std::int32_t y, const ColorRef* row,
                                 std::int32_t count) {
      ColorRef* out = pixels_.data() + static_cast<std::size_t>(y - area.top) * width +
                      static_cast<std::size_t>(x - area.left);
      for (std::int32_t i = 0; i < count; ++i) out[i] = (row[i] & colorBits) | opaque;
    });
    MAIN_THREAD_EM_ASM(
        {
          Module.magpendPage.paintWindow($0, $1, $2, $3, $4,
                                         HEAPU8.slice($5, $5 + $3 * $4 * 4));
        },
        canvasId_, area.left, area.top, area.Width(), area.Height(), pixels_.data());
  }

  Activity WaitForActivity(std::chrono::microseconds timeout) override { return wake_.Wait(timeout); }
  void Wake() override { wake_.Wake(); }

  void Destroy() override {
    if (canvasId_ < 0) return;
    if (input_) {
      InputWindows& inputWindows = TheInputWindows();
      std::lock_guard lock(inputWindows.mutex);
      inputWindows.windows.erase(canvasId_);
    }
    MAIN_THREAD_EM_ASM({ Module.magpendPage.closeWindow($0); }, canvasId_);
    canvasId_ = -1;
  }

 private:
  int canvasId_;                            // the page's number for the canvas; -1 once closed
  std::shared_ptr<const Surface> surface_;  // what the canvas shows
  std::shared_ptr<InputQueue> input_;       // null: the page sends no input
  std::atomic<bool> closeRequested_{false}; // the page's close button was pressed
  std::vector<ColorRef> pixels_;            // one repaint's pixels, RGBA
  WakeSignal wake_;                         // wakes the window thread
};

}  // namespace

std::unique_ptr<NativeWindow> MakePageWindow(const WindowSettings& settings,
                                             std::shared_ptr<const Surface> surface) {
  const std::string caption = CaptionAsUtf8(settings.caption);
  const int canvasId = MAIN_THREAD_EM_ASM_INT(
      { return Module.magpendPage.openWindow(UTF8ToString($0), $1, $2, !!$3); },
      caption.c_str(), surface->Width(), surface->Height(), settings.input != nullptr);
  if (canvasId < 0) return nullptr;
  return std::make_unique<PageWindow>(canvasId, std::move(surface), settings.input);
}

}  // namespace graphics::web

extern "C" {

EMSCRIPTEN_KEEPALIVE void magpend_page_pointer(int window, const char* type, int button, int x,
                                               int y) {
  graphics::web::PageWindow::WithInputWindow(window, [&](graphics::web::PageWindow& shown) {
    shown.Queue(graphics::web::PointerEventOf(type, button, x, y));
  });
}

EMSCRIPTEN_KEEPALIVE void magpend_page_wheel(int window, int notches, int x, int y) {
  if (notches == 0) return;
  graphics::web::PageWindow::WithInputWindow(window, [&](graphics::web::PageWindow& shown) {
    shown.Queue(graphics::InputEvent{
        .kind = graphics::InputKind::wheel, .x = x, .y = y, .wheelSteps = notches});
  });
}

EMSCRIPTEN_KEEPALIVE void magpend_page_key(int window, const char* key, int x, int y) {
  graphics::web::PageWindow::WithInputWindow(window, [&](graphics::web::PageWindow& shown) {
    shown.Queue(graphics::web::KeyEventOf(key, x, y));
  });
}

EMSCRIPTEN_KEEPALIVE void magpend_page_close(int window) {
  graphics::web::PageWindow::WithInputWindow(
      window, [](graphics::web::PageWindow& shown) { shown.RequestClose(); });
}

}  // extern "C"

namespace graphics::desktop {

void PrepareWindowSystem() {}

std::unique_ptr<NativeWindow> MakeDesktopWindow(const WindowSettings& settings,
                                                std::shared_ptr<const Surface> surface) {
  return web::MakePageWindow(settings, std::move(surface));
}

}  // namespace graphics::desktop
