#include "graphics/offscreen/offscreen_window.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>

#include "graphics/offscreen/offscreen_inspection.h"

namespace graphics::offscreen {

namespace {

// One window's screen, shared between its window thread and inspecting
// tests. Lock order: this mutex, then the surface's.
struct ScreenState {
  std::mutex mutex;
  std::condition_variable activity;          // wakes the window thread; signals destruction
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::shared_ptr<const Surface> surface;    // while open
  std::vector<ColorRef> finalSurface;        // snapshot taken at destruction
  std::vector<ColorRef> screen;              // the painted copy
  std::uint64_t repaintCount = 0;
  bool open = true;
  bool woken = false;                        // a Wake since the last wait
  bool waiting = false;                      // the window thread waits for activity
  std::uint64_t timedWaits = 0;              // waits with a timeout so far
  bool closeRequested = false;               // the "user" closed the window
  std::shared_ptr<InputQueue> input;         // where the "user's" input goes, or null
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

class OffscreenWindow final : public NativeWindow {
 public:
  OffscreenWindow(const WindowSettings& settings, std::shared_ptr<const Surface> surface)
      : state_(std::make_shared<ScreenState>()) {
    state_->width = surface->Width();
    state_->height = surface->Height();
    state_->screen = surface->CopyPixels();  // the screen starts as the new surface
    state_->surface = std::move(surface);
    state_->input = settings.input;
    Directory& directory = TheDirectory();
    std::lock_guard lock(directory.mutex);
    directory.byCaption[settings.caption] = state_;
  }

  void Show() override {}

  WindowEvent DispatchEvents() override {
    std::lock_guard lock(state_->mutex);
    return state_->closeRequested ? WindowEvent::closeRequested : WindowEvent::none;
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
    std::unique_lock lock(state_->mutex);
    const auto arrival = [&] { return state_->woken || state_->closeRequested; };
    bool arrived = true;
    state_->waiting = true;
    if (timeout == untilActivity) {
      state_->activity.wait(lock, arrival);
    } else {
      ++state_->timedWaits;
      arrived = state_->activity.wait_for(lock, timeout, arrival);
    }
    state_->waiting = false;
    state_->woken = false;
    return arrived ? Activity::arrived : Activity::none;
  }

  void Wake() override {
    {
      std::lock_guard lock(state_->mutex);
      state_->woken = true;
    }
    state_->activity.notify_all();
  }

  void Destroy() override {
    {
      std::lock_guard lock(state_->mutex);
      if (!state_->open) return;
      state_->finalSurface = state_->surface->CopyPixels();
      state_->surface.reset();
      state_->open = false;
    }
    state_->activity.notify_all();
  }

 private:
  std::shared_ptr<ScreenState> state_;
};

}  // namespace

std::unique_ptr<NativeWindow> MakeOffscreenWindow(const WindowSettings& settings,
                                                  std::shared_ptr<const Surface> surface) {
  return std::make_unique<OffscreenWindow>(settings, std::move(surface));
}

namespace {
// The window's surface as it stands, or as it was at destruction. Called
// with the state's mutex held.
std::vector<ColorRef> SurfacePixels(const ScreenState& state) {
  return state.open ? state.surface->CopyPixels() : state.finalSurface;
}
}  // namespace

std::optional<WindowImage> InspectOffscreenWindow(const runtime::Text& caption) {
  const auto state = FindState(caption);
  if (!state) return std::nullopt;
  std::lock_guard lock(state->mutex);
  WindowImage image;
  image.width = state->width;
  image.height = state->height;
  image.surface = SurfacePixels(*state);
  image.screen = state->screen;
  image.repaintCount = state->repaintCount;
  image.open = state->open;
  image.waiting = state->waiting;
  image.timedWaits = state->timedWaits;
  return image;
}

std::optional<std::vector<ColorRef>> InspectOffscreenSurface(const runtime::Text& caption) {
  const auto state = FindState(caption);
  if (!state) return std::nullopt;
  std::lock_guard lock(state->mutex);
  return SurfacePixels(*state);
}

bool CloseOffscreenWindowAsUser(const runtime::Text& caption, CloseWait wait) {
  const auto state = FindState(caption);
  if (!state) return false;
  std::unique_lock lock(state->mutex);
  if (!state->open) return false;
  state->closeRequested = true;
  state->activity.notify_all();
  if (wait == CloseWait::untilDestroyed) {
    state->activity.wait(lock, [&] { return !state->open; });
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

void ForgetOffscreenWindows() {
  Directory& directory = TheDirectory();
  std::lock_guard lock(directory.mutex);
  directory.byCaption.clear();
}

}  // namespace graphics::offscreen
