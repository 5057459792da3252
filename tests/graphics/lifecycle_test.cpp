// The window lifecycle on the offscreen window system: opening, attaching,
// batched repaints, closing from either side while drawing. Run under TSan
// too: these tests are as much about the threads as about the results.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "graphics/drawing.h"
#include "graphics/drawing_operation.h"
#include "graphics/window_registry.h"
#include "graphics/window_thread.h"
#include "offscreen_fixture.h"

namespace graphics {
namespace {

using namespace std::chrono_literals;

constexpr ColorRef red = 0x000000FF;

// Pixels whose surface and screen colours differ.
int PixelsBehind(const offscreen::WindowImage& image) {
  int behind = 0;
  for (std::size_t i = 0; i < image.surface.size(); ++i) behind += image.surface[i] != image.screen[i];
  return behind;
}

// Waits until the screen shows the whole surface; false after `limit`.
bool WaitUntilScreenIsCurrent(const runtime::Text& caption, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    const auto image = offscreen::InspectOffscreenWindow(caption);
    if (image && PixelsBehind(*image) == 0) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

using LifecycleTest = OffscreenTest;

TEST_F(LifecycleTest, OpenDrawCloseManyTimes) {
  for (int round = 0; round < 25; ++round) {
    const WindowHandle window = OpenProgramWindow("Round");
    ASSERT_NE(window, 0u);
    EXPECT_EQ(WindowRegistry::Count(), 2u);
    DrawGraphicBox(-3, -3, 3, 3, ellipseCorners, ComposeRgb(round * 10, 0, 0), UseForeground);
    CloseGraphicWindow();
    EXPECT_EQ(WindowRegistry::Count(), 0u);
    const auto image = Inspect("Round");
    EXPECT_FALSE(image.open);
    EXPECT_EQ(image.SurfacePixel(400, 300), ComposeRgb(round * 10, 0, 0));
  }
  EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::none);
}

TEST_F(LifecycleTest, ImpossibleWindowsAreNotOpened) {
  const struct {
    int width, height;
  } sizes[] = {{0, 600}, {800, 0}, {-1, 10}, {40000, 10}, {10, 32768}};
  for (const auto& size : sizes) {
    EXPECT_EQ(OpenGraphicWindow("Bad", 0, 0, size.width, size.height), 0u)
        << size.width << " x " << size.height;
  }
  EXPECT_EQ(WindowRegistry::Count(), 0u);
  AttachGraphicWindow(0);
  EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::invalidArgument);
}

TEST_F(LifecycleTest, AttachFindsTheAreaOrRecordsInvalidArgument) {
  const WindowHandle window = OpenProgramWindow("Attach");
  const WindowHandle area = CurrentTarget();
  ASSERT_NE(area, 0u);
  EXPECT_NE(area, window);

  AttachGraphicWindow(area);  // an area: itself
  EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::none);
  EXPECT_EQ(CurrentTarget(), area);
  AttachGraphicWindow(window);  // a frame: its area
  EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::none);
  EXPECT_EQ(CurrentTarget(), area);

  for (const WindowHandle bad : {WindowHandle{0}, WindowHandle{12345}, window + 100}) {
    runtime::ClearError();
    AttachGraphicWindow(bad);
    EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::invalidArgument) << bad;
    EXPECT_EQ(CurrentTarget(), 0u);
  }

  // Without a target nothing is drawn.
  SetGraphicPixel(0, 0, red);
  EXPECT_EQ(Inspect("Attach").SurfacePixel(400, 300), dialogFaceColor);
}

TEST_F(LifecycleTest, TargetsArePerThread) {
  OpenProgramWindow("Mine");
  std::thread other([] {
    EXPECT_EQ(CurrentTarget(), 0u);
    SetGraphicPixel(0, 0, red);  // no target on this thread: nothing
    CloseGraphicWindow();
  });
  other.join();
  const auto image = Inspect("Mine");
  EXPECT_TRUE(image.open);
  EXPECT_EQ(image.SurfacePixel(400, 300), dialogFaceColor);
  SetGraphicPixel(0, 0, red);
  EXPECT_EQ(Inspect("Mine").SurfacePixel(400, 300), red);
}

TEST_F(LifecycleTest, TwoWindowsAreDrawnSeparately) {
  const WindowHandle first = OpenProgramWindow("First");
  OpenProgramWindow("Second");
  SetGraphicPixel(0, 0, red);
  AttachGraphicWindow(first);
  SetGraphicPixel(1, 0, red);  // still the first window's scale
  EXPECT_EQ(Inspect("First").SurfacePixel(402, 300), red);
  EXPECT_EQ(Inspect("First").SurfacePixel(400, 300), dialogFaceColor);
  EXPECT_EQ(Inspect("Second").SurfacePixel(400, 300), red);
  CloseGraphicWindow();
  EXPECT_FALSE(Inspect("First").open);
  EXPECT_TRUE(Inspect("Second").open);
}

// Opens a small unscaled window and attaches it.
void OpenSmallWindow(const runtime::Text& caption) {
  const WindowHandle window = OpenGraphicWindow(caption, 0, 0, 40, 40);
  AttachGraphicWindow(window);
}

TEST_F(LifecycleTest, ScreenIsNeverMoreThanABatchBehind) {
  OpenSmallWindow("Batch");
  // Every operation paints a new pixel, so the pixels missing on the screen
  // count the operations since the screen was last brought up to date: at
  // the 150th at the latest the drawing thread repaints itself.
  for (int operation = 1; operation <= 450; ++operation) {
    SetGraphicPixel(operation % 40, operation / 40, red);
    const auto image = Inspect("Batch");
    ASSERT_LT(PixelsBehind(image), 150) << "after operation " << operation;
  }
}

TEST_F(LifecycleTest, PausedDrawingIsShownByTheWindowThread) {
  OpenSmallWindow("Pause");
  for (int operation = 0; operation < 10; ++operation) SetGraphicPixel(operation, 5, red);
  EXPECT_TRUE(WaitUntilScreenIsCurrent("Pause", 2000ms));
}

TEST_F(LifecycleTest, RedrawingTheSameFigureMakesNoFurtherCopies) {
  OpenProgramWindow("Marker");
  for (int operation = 0; operation < 1500; ++operation) {
    DrawGraphicBox(-3, -3, 3, 3, ellipseCorners, red, UseForeground);
  }
  ASSERT_TRUE(WaitUntilScreenIsCurrent("Marker", 2000ms));
  std::this_thread::sleep_for(10ms);
  EXPECT_EQ(Inspect("Marker").repaintCount, 1u);  // only the first drawing showed anything new
}

TEST_F(LifecycleTest, ClosedWindowIgnoresEverything) {
  OpenProgramWindow("Closed");
  SetGraphicPixel(0, 0, red);
  CloseGraphicWindow();
  ASSERT_FALSE(Inspect("Closed").open);
  SetGraphicScale(0, 0, 40, 40);
  SetGraphicPosition(0, 0);
  DrawGraphicLine(10, 10, red);
  SetGraphicPixel(1, 1, red);
  DrawGraphicBox(-3, -3, 3, 3, ellipseCorners, red, UseForeground);
  CloseGraphicWindow();
  EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::none);
  const auto image = Inspect("Closed");
  EXPECT_EQ(image.SurfacePixel(400, 300), red);
  EXPECT_EQ(image.SurfacePixel(402, 298), dialogFaceColor);
}

TEST_F(LifecycleTest, ShutdownEndsEveryOpenWindow) {
  OpenProgramWindow("One");
  OpenProgramWindow("Two");
  ShutdownWindowSystem();
  EXPECT_FALSE(Inspect("One").open);
  EXPECT_FALSE(Inspect("Two").open);
  EXPECT_EQ(WindowRegistry::Count(), 0u);
  SetGraphicPixel(0, 0, red);  // the old target no longer resolves
  OpenProgramWindow("Again");  // and windows can be opened afterwards
  EXPECT_TRUE(Inspect("Again").open);
}

// The user closes the window while the program draws as fast as it can,
// after a varying number of its drawings (none, 6, ..., 36); sometimes the
// program closes it at the same time (after its 40th).
TEST_F(LifecycleTest, UserCloseWhileDrawingNeverBreaksAnything) {
  for (int round = 0; round < 150; ++round) {
    const WindowHandle window = OpenGraphicWindow("Race", 0, 0, 64, 48);
    AttachGraphicWindow(window);
    SetGraphicScale(-32, 24, 32, -24);
    std::atomic<bool> closed{false};
    std::atomic<int> drawn{0};
    std::thread user([&] {
      const int moment = round % 7 * 6;
      for (int seen = drawn.load(); seen < moment; seen = drawn.load()) drawn.wait(seen);
      offscreen::CloseOffscreenWindowAsUser("Race", offscreen::CloseWait::untilDestroyed);
      closed = true;
    });
    int operation = 0;
    for (int after = 0; after < 50; operation++) {
      const float offset = static_cast<float>(operation % 50) - 25;
      DrawGraphicBox(offset, -3, offset + 6, 3, ellipseCorners, ComposeRgb(operation, 0, 0), UseForeground,
                     static_cast<FillPattern>(operation % 7));
      DrawGraphicLine(offset, 20, red);
      SetGraphicPixel(offset, -20, red);
      drawn.fetch_add(1);
      drawn.notify_one();
      if (round % 5 == 0 && operation == 40) CloseGraphicWindow();
      if (closed) ++after;
    }
    user.join();
    EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::none);
    ASSERT_EQ(WindowRegistry::Count(), 0u) << "round " << round;
  }
}

}  // namespace
}  // namespace graphics
