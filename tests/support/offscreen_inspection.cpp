#include "tests/support/offscreen_inspection.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "graphics/offscreen/offscreen_window.h"
#include "graphics/window_system.h"

namespace graphics::offscreen {

namespace {

// One window's screen, shared between its window thread and inspecting
// tests. Lock order: this mutex, then the surface's.
struct ScreenState {
  std::mutex mutex;
  std::condition_variable destroyed;      // announces `open` turning false
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::shared_ptr<const Surface> surface;  // kept after destruction: the last picture
  std::vector<ColorRef> screen;            // the painted copy
  std::uint64_t repaintCount = 0;
  bool open = true;
  bool closeRequested = false;             // the "user" closed the window
  NativeWindow* window = nullptr;          // while open: to wake its thread
  std::shared_ptr<InputQueue> input;       // where the "user's" input goes, or null
};

struct Directory {
  std::mutex mutex;
  std::map<runtime::Text, std::shared_ptr<ScreenState>> byCaption;  // latest window per caption
};

Directory& TheDirectory() {
  static Directory* const directory = new Directory;
  return *directory;
}

std::shared_ptr<ScreenState> FindState(const runtime::Text& caption) {
  Directory& directory = TheDirectory();
  std::lock_guard lock(directory.mutex);
  const auto found = directory.byCaption.find(caption);
  return found == directory.byCaption.end() ? nullptr : found->second;
}

// The program's offscreen window, with the screen and the close button
// added around it.
class InspectedWindow final : public NativeWindow {
 public:
  InspectedWindow(const WindowSettings& settings, std::shared_ptr<const Surface> surface)
      : inner_(MakeOffscreenWindow(settings, surface)), state_(std::make_shared<ScreenState>()) {
    state_->width = surface->Width();
    state_->height = surface->Height();
    state_->screen = surface->CopyPixels();  // the screen starts as the new surface
    state_->surface = std::move(surface);
    state_->window = this;
    state_->input = settings.input;
    Directory& directory = TheDirectory();
    std::lock_guard lock(directory.mutex);
    directory.byCaption[settings.caption] = state_;
  }

  void Show() override { inner_->Show(); }

  WindowEvent DispatchEvents() override {
    {
      std::lock_guard lock(state_->mutex);
      if (state_->closeRequested) return WindowEvent::closeRequested;
    }
    return inner_->DispatchEvents();
  }

  void Paint(PixelRect area) override {
    std::lock_guard lock(state_->mutex);
    if (!state_->open) return;
    std::vector<ColorRef>& screen = state_->screen;
    const std::size_t width = static_cast<std::size_t>(state_->width);
    state_->surface->ReadArea(
        area, [&](std::int32_t x, std::int32_t y, const ColorRef* pixels, std::int32_t count) {
          const auto start = static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * width +
                                                         static_cast<std::size_t>(x));
          std::copy(pixels, pixels + count, screen.begin() + start);
        });
    ++state_->repaintCount;
  }

  Activity WaitForActivity(std::chrono::microseconds timeout) override {
    return inner_->WaitForActivity(timeout);
  }
  void Wake() override { inner_->Wake(); }

  void Destroy() override {
    {
      std::lock_guard lock(state_->mutex);
      if (!state_->open) return;
      state_->open = false;
      state_->window = nullptr;
    }
    state_->destroyed.notify_all();
    inner_->Destroy();
  }

 private:
  std::unique_ptr<NativeWindow> inner_;
  std::shared_ptr<ScreenState> state_;
};

std::unique_ptr<NativeWindow> MakeInspectedWindow(const WindowSettings& settings,
                                                  std::shared_ptr<const Surface> surface) {
  return std::make_unique<InspectedWindow>(settings, std::move(surface));
}

}  // namespace

void SelectInspectedWindows() {
  SelectWindowSystem(MakeInspectedWindow);
  Directory& directory = TheDirectory();
  std::lock_guard lock(directory.mutex);
  directory.byCaption.clear();
}

std::optional<WindowImage> InspectOffscreenWindow(const runtime::Text& caption) {
  const auto state = FindState(caption);
  if (!state) return std::nullopt;
  std::lock_guard lock(state->mutex);
  WindowImage image;
  image.width = state->width;
  image.height = state->height;
  image.surface = state->surface->CopyPixels();
  image.screen = state->screen;
  image.repaintCount = state->repaintCount;
  image.open = state->open;
  return image;
}

std::optional<std::vector<ColorRef>> InspectOffscreenSurface(const runtime::Text& caption) {
  const auto state = FindState(caption);
  if (!state) return std::nullopt;
  std::lock_guard lock(state->mutex);
  return state->surface->CopyPixels();
}

bool CloseOffscreenWindowAsUser(const runtime::Text& caption, CloseWait wait) {
  const auto state = FindState(caption);
  if (!state) return false;
  std::unique_lock lock(state->mutex);
  if (!state->open) return false;
  state->closeRequested = true;
  // The window thread wakes and meets the request in DispatchEvents; it
  // destroys the window only after taking this mutex, so the window is alive.
  state->window->Wake();
  if (wait == CloseWait::untilDestroyed) {
    state->destroyed.wait(lock, [&] { return !state->open; });
  }
  return true;
}

bool SendOffscreenInput(const runtime::Text& caption, const InputEvent& event) {
  const auto state = FindState(caption);
  if (!state) return false;
  std::shared_ptr<InputQueue> input;
  {
    std::lock_guard lock(state->mutex);
    if (state->open) input = state->input;
  }
  if (!input) return false;
  input->Push(event);
  return true;
}

}  // namespace graphics::offscreen
