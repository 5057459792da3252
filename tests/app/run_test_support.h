// Shared by the in-process tests of the runs: a memory console with scripted
// keys, offscreen windows and a virtual clock, so a 10-second pause costs
// nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/magnets.h"
#include "console/keyboard.h"
#include "tests/support/memory_device.h"
#include "tests/support/scripted_keys.h"
#include "console/screen.h"
#include "graphics/color.h"
#include "tests/support/offscreen_inspection.h"
#include "graphics/window_system.h"
#include "runtime/clock.h"
#include "runtime/numeric.h"

namespace app::testing {

// A clock that records every pause and lets a test look at the windows at
// the moment of each pause, then returns at once.
class ObservingClock final : public runtime::Clock {
 public:
  void SleepMilliseconds(std::uint32_t milliseconds) override {
    pauses.push_back(milliseconds);
    if (onPause) onPause(milliseconds);
  }
  std::uint64_t Total() const {
    std::uint64_t total = 0;
    for (std::uint32_t pause : pauses) total += pause;
    return total;
  }
  std::vector<std::uint32_t> pauses;
  std::function<void(std::uint32_t)> onPause;
};

// A key that arrives only at the given look at the queue (0-based).
class KeyAtLook final : public console::KeySource {
 public:
  KeyAtLook(console::KeyPress key, std::size_t look) : key_(key), look_(look) {}
  void TakeArrivedKeys(std::deque<console::KeyPress>& queue) override {
    if (looks_++ == look_) queue.push_back(key_);
  }
  void AwaitInput(std::chrono::milliseconds) override {}
  std::size_t Looks() const { return looks_; }

 private:
  console::KeyPress key_;
  std::size_t look_;
  std::size_t looks_ = 0;
};

// Offscreen windows, forgotten between tests and all ended after each.
class OffscreenRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runtime::LoadFloatingPointControl();
    graphics::offscreen::SelectInspectedWindows();
  }
  void TearDown() override { graphics::ShutdownWindowSystem(); }
};

// The classic dialog-face colour that fresh surfaces show.
inline constexpr graphics::ColorRef background = 0x00F0F0F0;

// Pixel of a model point under the runs' scale.
inline int PixelX(double x) { return static_cast<int>(2 * (x + 200)); }
inline int PixelY(double y) { return 600 - static_cast<int>(2 * (y + 150)); }

// Whether any pixel of the rectangle [x0, x1] x [y0, y1] has `color`.
inline bool AnyPixel(const graphics::offscreen::WindowImage& image, int x0, int y0, int x1, int y1,
                     graphics::ColorRef color) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (image.SurfacePixel(x, y) == color) return true;
  return false;
}

// FNV-1a of a surface: a cheap fingerprint to compare many surface states.
inline std::uint64_t Fingerprint(const std::vector<graphics::ColorRef>& pixels) {
  std::uint64_t hash = 1469598103934665603ull;
  for (graphics::ColorRef pixel : pixels) {
    hash ^= pixel;
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace app::testing
