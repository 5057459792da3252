#include "app/path_run.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/magnets.h"
#include "graphics/window_system.h"
#include "run_test_support.h"
#include "runtime/numeric.h"

namespace app {
namespace {

using graphics::offscreen::InspectOffscreenWindow;
using testing::AnyPixel;
using testing::ObservingClock;

class PathRunTest : public testing::OffscreenRunTest {
 protected:
  console::ScriptedKeys keys;
  ObservingClock clock;
  console::ConsoleKeyboard keyboard{keys, clock};
};

TEST_F(PathRunTest, SideViewFollowsThePreviousHeight) {
  std::vector<graphics::offscreen::WindowImage> seen;
  clock.onPause = [&](std::uint32_t) {
    if (seen.size() < 2) seen.push_back(*InspectOffscreenWindow("Pendelweg"));
  };
  RunPathWindow(-50, 50, 5, 400, 0.03f, 0.015625, keyboard);  // two steps
  ASSERT_EQ(seen.size(), 2u);
  const graphics::ColorRef black = 0;
  // First step: rod from the pivot (700, 20) to the resting bob (680, 100).
  EXPECT_EQ(seen[0].SurfacePixel(700, 20), black);
  EXPECT_EQ(seen[0].SurfacePixel(690, 60), black);
  EXPECT_TRUE(AnyPixel(seen[0], 678, 98, 681, 101, black));   // the bob around (680, 100)
  EXPECT_FALSE(AnyPixel(seen[0], 676, 90, 679, 96, black));  // left of the rod
  // Second step: the bob hangs at the height 12.917 of (-50, 50), near (680, 95).
  EXPECT_TRUE(AnyPixel(seen[1], 678, 93, 681, 96, black));
  EXPECT_FALSE(AnyPixel(seen[1], 676, 99, 684, 104, black));
  // The head pixel of the current step is yellow.
  EXPECT_EQ(seen[0].SurfacePixel(300, 200), graphics::ComposeRgb(255, 255, 0));
}

TEST_F(PathRunTest, AfterTheRunTheSideViewBoxIsEmptyAndTheWindowClosed) {
  RunPathWindow(-50, 50, 5, 400, 0.03f, 0.046875, keyboard);  // 4.6875: five steps
  const auto image = InspectOffscreenWindow("Pendelweg");
  ASSERT_TRUE(image);
  EXPECT_FALSE(image->open);
  const graphics::ColorRef cyan = graphics::ComposeRgb(0, 239, 239);
  for (int y = 12; y <= 119; ++y)
    for (int x = 660; x <= 739; ++x) ASSERT_EQ(image->SurfacePixel(x, y), cyan) << x << "," << y;
  EXPECT_EQ(image->SurfacePixel(659, 60), testing::background);
  EXPECT_EQ(image->SurfacePixel(740, 60), testing::background);
  EXPECT_EQ(image->SurfacePixel(700, 120), testing::background);
  // The bob hardly moved in five steps: its pixel turned into trail.
  EXPECT_EQ(image->SurfacePixel(300, 200), graphics::ComposeRgb(0, 0, 255));
  // The markers stand on top: magnet 2 at pixel (460, 240), filled green.
  EXPECT_EQ(image->SurfacePixel(460, 240), graphics::ComposeRgb(0, 191, 0));
  EXPECT_EQ(clock.pauses, (std::vector<std::uint32_t>{6, 6, 6, 6, 6, 10000}));
}

TEST_F(PathRunTest, NoStepForANonPositiveTrialCount) {
  for (double n : {0.0, -1.0}) {
    clock.pauses.clear();
    RunPathWindow(-50, 50, 5, 400, 0.03f, n, keyboard);
    const auto image = InspectOffscreenWindow("Pendelweg");
    ASSERT_TRUE(image);
    for (graphics::ColorRef pixel : image->surface) ASSERT_EQ(pixel, testing::background);
    EXPECT_EQ(clock.pauses, std::vector<std::uint32_t>{10000});
  }
}

TEST_F(PathRunTest, AKeyBeforeTheFirstStepEndsTheRunAtOnce) {
  keys.Push(console::CharacterKey('q'));
  RunPathWindow(-50, 50, 5, 400, 0.03f, 2000, keyboard);
  EXPECT_EQ(clock.pauses, std::vector<std::uint32_t>{10000});
  EXPECT_EQ(keyboard.PollKey(), "");  // the key was consumed
}

TEST_F(PathRunTest, AKeyDuringTheRunEndsItAfterTheCurrentStep) {
  testing::KeyAtLook lateKey(console::ExtendedKey(0x48), 3);
  console::ConsoleKeyboard lateKeyboard(lateKey, clock);
  RunPathWindow(-50, 50, 5, 400, 0.03f, 2000, lateKeyboard);
  EXPECT_EQ(clock.pauses, (std::vector<std::uint32_t>{6, 6, 6, 10000}));
}

TEST_F(PathRunTest, StartNextToAMagnetIsCaughtInTheFirstStep) {
  RunPathWindow(30.3, 30, 5, 400, 0.03f, 2000, keyboard);
  EXPECT_EQ(clock.pauses, (std::vector<std::uint32_t>{6, 10000}));
}

TEST_F(PathRunTest, DefaultPathMakes5461Steps) {
  std::uint64_t finishedPath = 0;
  clock.onPause = [&](std::uint32_t milliseconds) {
    if (milliseconds == 10000) finishedPath = testing::Fingerprint(InspectOffscreenWindow("Pendelweg")->surface);
  };
  RunPathWindow(-50, 50, 5, 400, 0.03f, 2000, keyboard);
  EXPECT_EQ(clock.pauses.size(), 5462u);
  EXPECT_EQ(clock.Total(), 5461u * 6 + 10000);
  // The finished path as the x87 build draws it: every build, the software
  // Real's too, must draw exactly this picture.
  EXPECT_EQ(finishedPath, 0x58746574c9916f43u);
}

TEST(StepPauseTest, TwoHundredTimesVRoundedHalfToEven) {
  struct Case {
    double v;
    std::uint32_t milliseconds;
  } cases[] = {{0.001, 0},  {0.01, 2},          {1, 200},         {0.03f, 6},
               {0.0625, 12}, {0.1875, 38},        {0, 0},           {21474836.47, 4294967294u},
               {1e10, 0xFFFFFFFF}, {1e300, 0xFFFFFFFF}, {HUGE_VAL, 0xFFFFFFFF}};
  for (const Case& c : cases) EXPECT_EQ(StepPauseMilliseconds(c.v), c.milliseconds) << c.v;
}

TEST_F(PathRunTest, ALongPauseEndsEarlyWhenAKeyIsPressed) {
  testing::KeyAtLook lateKey(console::CharacterKey(' '), 3);
  console::ConsoleKeyboard lateKeyboard(lateKey, clock);
  RunPathWindow(-50, 50, 5, 400, 100, 2000, lateKeyboard);  // 20 s per step
  // The key arrives during the third slice of the first pause.
  EXPECT_EQ(clock.pauses, (std::vector<std::uint32_t>{1000, 1000, 1000, 10000}));
}

}  // namespace
}  // namespace app
