#include "app/start_point_map.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/magnet_colors.h"
#include "app/model.h"
#include "app/window_pattern.h"
#include "graphics/drawing.h"
#include "graphics/window_system.h"
#include "run_test_support.h"
#include "runtime/numeric.h"

namespace app {
namespace {

using graphics::offscreen::InspectOffscreenSurface;
using graphics::offscreen::InspectOffscreenWindow;
using testing::Fingerprint;
using testing::ObservingClock;

// The map run read word for word: every step of every trial draws the three
// markers before it moves the bob, and the step counter is a 16-bit integer
// compared with n. Only for whole n within its range, which every trial of
// these tests reaches.
void StraightforwardMapRun(double m, double g, double n, console::ConsoleKeyboard& keyboard,
                           const std::function<void(int)>& afterTrial) {
  OpenRunWindow("Startpunkte");
  for (int trial = 0; trial < gridTrials; ++trial) {
    const double x = GridX(trial);
    const double y = GridY(trial);
    PendulumState state = StateAtRest(x, y);
    std::int16_t counter = 0;
    while (std::fabs(state.x) < 4000 && std::fabs(state.y) < 4000) {
      DrawMagnetMarkers();
      SimulationStep(state, g, m, mapTimeStep, mapCaptureRadius);
      counter = static_cast<std::int16_t>(counter + 1);
      if (state.caughtBy > 0 || counter == n) break;
    }
    if (keyboard.PollKey() == "\x1b") return;
    if (state.caughtBy != 0) {
      const graphics::ColorRef color = magnetColors[state.caughtBy];
      graphics::DrawGraphicBox(runtime::ToSingle(runtime::Real(x) - 1), runtime::ToSingle(runtime::Real(y) - 1),
                               runtime::ToSingle(runtime::Real(x) + 1), runtime::ToSingle(runtime::Real(y) + 1), 0, color,
                               color, 0);
    }
    afterTrial(trial);
  }
  CloseRunWindow(keyboard);
}

class MapRunTest : public testing::OffscreenRunTest {
 protected:
  // Fingerprints of the surface after every `every`-th trial and at the end.
  std::vector<std::uint64_t> FingerprintsOf(const std::function<void(std::function<void(int)>)>& run,
                                            int every) {
    std::vector<std::uint64_t> prints;
    run([&](int trial) {
      if (trial % every == 0) prints.push_back(Fingerprint(*InspectOffscreenSurface("Startpunkte")));
    });
    prints.push_back(Fingerprint(*InspectOffscreenSurface("Startpunkte")));
    return prints;
  }

  std::vector<std::uint64_t> Straightforward(double n, int every) {
    console::ScriptedKeys keys;
    ObservingClock clock;
    console::ConsoleKeyboard keyboard(keys, clock);
    return FingerprintsOf([&](auto after) { StraightforwardMapRun(400, 5, n, keyboard, after); },
                          every);
  }

  // What the fast run is compared with: the straightforward run; under TSan,
  // which looks for races and makes every drawing many times slower, the
  // run without worker threads (the other builds compare with the
  // straightforward one), and the runs with workers are compared with it.
#ifdef MAGPEND_THREAD_SANITIZED
  static constexpr unsigned fewestComparedWorkers = 1;
  std::vector<std::uint64_t> Reference(double n, int every) { return Fast(n, every, 0); }
#else
  static constexpr unsigned fewestComparedWorkers = 0;
  std::vector<std::uint64_t> Reference(double n, int every) { return Straightforward(n, every); }
#endif

  std::vector<std::uint64_t> Fast(double n, int every, unsigned workers) {
    console::ScriptedKeys keys;
    ObservingClock clock;
    console::ConsoleKeyboard keyboard(keys, clock);
    MapRunOptions options;
    options.workerThreads = workers;
    return FingerprintsOf(
        [&](auto after) {
          options.afterTrial = after;
          RunStartPointMap(400, 5, n, keyboard, options);
        },
        every);
  }
};

#ifdef MAGPEND_FEWER_PICTURES
// Under a sanitizer or Wine every surface copy costs many times more; the
// normal Linux build makes these comparisons in full.
constexpr int comparedEvery = 97;
constexpr double longTrialCount = 100;
#else
constexpr int comparedEvery = 7;
constexpr double longTrialCount = 2000;
#endif

// 7 (and 97) and the row length 111 are coprime, so over the map every
// column is looked at in some rows.
TEST_F(MapRunTest, FastRunPaintsTheSameSurfacesAsTheStraightforwardOne) {
  const auto reference = Reference(3, comparedEvery);
  for (unsigned workers = fewestComparedWorkers; workers <= 2; ++workers) {
    EXPECT_EQ(Fast(3, comparedEvery, workers), reference) << workers << " workers";
  }
}

TEST_F(MapRunTest, FastRunPaintsTheSameDefaultMap) {
  EXPECT_EQ(Fast(longTrialCount, 101, 2), Reference(longTrialCount, 101));
}

TEST_F(MapRunTest, EscapeCutsBothRunsAtTheSameSurface) {
  const int stopTrial = 5000;
  const auto finalSurface = [&](const std::function<void(console::ConsoleKeyboard&)>& run) {
    graphics::offscreen::ForgetOffscreenWindows();
    testing::KeyAtLook escape(console::CharacterKey(27), stopTrial);
    ObservingClock clock;
    console::ConsoleKeyboard keyboard(escape, clock);
    run(keyboard);
    const auto image = InspectOffscreenWindow("Startpunkte");
    graphics::ShutdownWindowSystem();
    return Fingerprint(image->surface);
  };
  const std::uint64_t reference = finalSurface(
      [](console::ConsoleKeyboard& keyboard) { StraightforwardMapRun(400, 5, 50, keyboard, [](int) {}); });
  MapRunOptions options;
  options.workerThreads = 2;
  EXPECT_EQ(finalSurface([&](console::ConsoleKeyboard& keyboard) {
              RunStartPointMap(400, 5, 50, keyboard, options);
            }),
            reference);
}

TEST_F(MapRunTest, WithOneStepOnlyPointsNearAMagnetArePainted) {
  console::ScriptedKeys keys;
  ObservingClock clock;
  console::ConsoleKeyboard keyboard(keys, clock);
  RunStartPointMap(400, 5, 1, keyboard);
  const auto image = InspectOffscreenWindow("Startpunkte");
  ASSERT_TRUE(image);
  EXPECT_FALSE(image->open);
  EXPECT_EQ(clock.pauses, std::vector<std::uint32_t>{10000});
  int painted = 0;
  for (int trial = 0; trial < gridTrials; ++trial) {
    const double x = GridX(trial);
    const double y = GridY(trial);
    graphics::ColorRef expected = testing::background;
    bool nearMarker = false;
    for (const Magnet& magnet : Magnets()) {
      const double distance = std::hypot(magnet.x - x, magnet.y - y);
      if (distance <= 9) expected = magnetColors[magnet.index];
      nearMarker |= std::fabs(magnet.x - x) < 5 && std::fabs(magnet.y - y) < 5;
    }
    if (nearMarker) continue;  // the markers are drawn over these squares
    const graphics::ColorRef pixel = image->SurfacePixel(testing::PixelX(x), testing::PixelY(y));
    EXPECT_EQ(pixel, expected) << x << "," << y;
    painted += expected != testing::background;
  }
  EXPECT_GT(painted, 100);
}

TEST_F(MapRunTest, EscapeStopsAfterTheCurrentTrialWithoutPainting) {
  // (38, 30) lies 8 units from magnet 2: its trial is caught in one step,
  // and its square lies clear of the marker.
  const int stopTrial = (30 + 110) / 2 * gridSide + (38 + 110) / 2;
  for (unsigned workers : {0u, 2u}) {
    graphics::offscreen::ForgetOffscreenWindows();
    testing::KeyAtLook escape(console::CharacterKey(27), stopTrial);
    ObservingClock clock;
    console::ConsoleKeyboard keyboard(escape, clock);
    MapRunOptions options;
    options.workerThreads = workers;
    int lastDrawn = -1;
    options.afterTrial = [&](int trial) { lastDrawn = trial; };
    RunStartPointMap(400, 5, 2000, keyboard, options);
    EXPECT_EQ(lastDrawn, stopTrial - 1);
    EXPECT_TRUE(clock.pauses.empty());  // no final pause
    const auto image = InspectOffscreenWindow("Startpunkte");
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->open);  // left for the end of the program
    // The stop point stays unpainted, its left neighbour is painted.
    EXPECT_EQ(image->SurfacePixel(testing::PixelX(38), testing::PixelY(30)), testing::background);
    EXPECT_EQ(image->SurfacePixel(testing::PixelX(36), testing::PixelY(30)), magnetColors[2]);
    graphics::ShutdownWindowSystem();
  }
}

TEST_F(MapRunTest, OtherKeysAreConsumedOnePerTrial) {
  console::ScriptedKeys keys;
  keys.PushBytes("ab\x1b[A");  // a, b, Up: three trials
  keys.Push(console::CharacterKey(27));
  ObservingClock clock;
  console::ConsoleKeyboard keyboard(keys, clock);
  MapRunOptions options;
  int drawn = 0;
  options.afterTrial = [&](int) { ++drawn; };
  RunStartPointMap(400, 5, 2000, keyboard, options);
  EXPECT_EQ(drawn, 3);
}

TEST(TrialStepLimitTest, EveryCountTheFormAcceptsEndsATrial) {
  struct Case {
    double n;
    std::int64_t limit;
  } cases[] = {
      {1, 1},          {2000, 2000},     {32767, 32767},        {100000, 100000},
      {-1, 65535},     {-32768, 32768},  {-40000, 32768},       {2.5, 3},
      {0.25, 1},       {-0.5, 65536},    {HUGE_VAL, 0x7FFFFFFF}, {-HUGE_VAL, 32768},
      {1e12, 0x7FFFFFFF}, {std::nan(""), 65536},
  };
  for (const Case& c : cases) EXPECT_EQ(TrialStepLimit(c.n), c.limit) << c.n;
}

TEST(TrialTest, EndsByCaptureCountOrFlyingOff) {
  runtime::LoadFloatingPointControl();
  // Next to magnet 1: caught in the first step.
  EXPECT_EQ(RunTrial(-42, 0, 5, 400, 2000).caughtBy, 1);
  EXPECT_EQ(RunTrial(-42, 0, 5, 400, 2000).steps, 1);
  // A count of 3 stops an uncaught bob after 3 steps.
  const TrialResult counted = RunTrial(-110, -110, 5, 400, 3);
  EXPECT_EQ(counted.caughtBy, 0);
  EXPECT_EQ(counted.steps, 3);
  // A huge pendulum coefficient throws the bob out of the plane: it flies off.
  const TrialResult flown = RunTrial(-110, -110, 1e9, 400, 0x7FFFFFFF);
  EXPECT_EQ(flown.caughtBy, 0);
  EXPECT_LT(flown.steps, 100);
}

TEST(GridTest, RowsFromTheBottomEachFromTheLeft) {
  EXPECT_EQ(StartGrid{2}.Coordinate(1), 110);
  EXPECT_EQ(StartGrid{3}.Coordinate(1), 0);
  EXPECT_EQ(StartGrid{1001}.Coordinate(500), 0);
  EXPECT_EQ(StartGrid{1001}.Coordinate(1), -109.78);
  EXPECT_EQ(GridX(0), -110);
  EXPECT_EQ(GridY(0), -110);
  EXPECT_EQ(GridX(1), -108);
  EXPECT_EQ(GridX(110), 110);
  EXPECT_EQ(GridY(111), -108);
  EXPECT_EQ(GridX(gridTrials - 1), 110);
  EXPECT_EQ(GridY(gridTrials - 1), 110);
}

// Any worker count hands out the very trials RunTrial computes, in scan
// order, for a band of rows of any grid.
TEST(MapScanTest, EveryWorkerCountGivesTheTrialsOfABand) {
  runtime::LoadFloatingPointControl();
  ScanJob job;
  job.grid.side = 9;
  job.firstRow = 2;
  job.endRow = 6;
  job.stepLimit = 500;
  EXPECT_EQ(job.TrialCount(), 36);
  EXPECT_EQ(job.Y(0), job.grid.Coordinate(2));
  for (unsigned workers : {0u, 1u, 3u}) {
    MapScan scan(job, workers);
    for (std::int64_t i = 0; i < job.TrialCount(); ++i) {
      const std::optional<TrialResult> result = scan.Next();
      ASSERT_TRUE(result) << workers << " workers, trial " << i;
      const TrialResult expected = RunTrial(job.X(i), job.Y(i), job.g, job.m, job.stepLimit);
      EXPECT_EQ(result->caughtBy, expected.caughtBy) << workers << " workers, trial " << i;
      EXPECT_EQ(result->steps, expected.steps) << workers << " workers, trial " << i;
    }
    EXPECT_FALSE(scan.Next());
  }
}

// A job far larger than the workers may run ahead: they wait for room, the
// taker gets every trial. Also when the trial it waits for is far longer
// than the ones after it: with magnets of next to no strength the bob from
// (0, -110) swings for its whole step limit.
TEST(MapScanTest, AJobOfAnySizeIsHandedOutWhole) {
  runtime::LoadFloatingPointControl();
  for (const double m : {400.0, 1e-300}) {
    ScanJob job;
    job.grid.side = 41;
    job.m = m;
    job.stepLimit = 5000;
    MapScan scan(job, 2, 8);
    std::int64_t taken = 0;
    while (scan.Next()) ++taken;
    EXPECT_EQ(taken, 41 * 41) << m;
  }
}

// With a feeble magnet the bob released at (0, -110) swings through the
// centre for ever; the one at (-110, -110) is caught by magnet 2 at once on
// its way. A long trial is looked at after its step 32768 and then every
// 65536 steps, and can be given up there; a trial within 32767 steps never.
TEST(MapScanTest, LongTrialsAreLookedAtAndCanBeGivenUp) {
  runtime::LoadFloatingPointControl();
  ScanJob job;
  job.grid.side = 3;
  job.endRow = 1;
  job.m = 1e-9;
  for (unsigned workers : {0u, 2u}) {
    job.stepLimit = longTrialSteps;
    {
      MapScan scan(job, workers);
      int looks = 0;
      const auto countLooks = [&] { ++looks; return LongTrialDecision::goOn; };
      EXPECT_NE(scan.Next(countLooks)->caughtBy, 0);
      EXPECT_EQ(scan.Next(countLooks)->steps, longTrialSteps);
      EXPECT_EQ(looks, 0);
    }
    job.stepLimit = 0x7FFFFFFF;
    MapScan scan(job, workers);
    int looks = 0;
    const auto giveUpAtTheThird = [&] {
      return ++looks == 3 ? LongTrialDecision::abandon : LongTrialDecision::goOn;
    };
    EXPECT_TRUE(scan.Next(giveUpAtTheThird));
    EXPECT_FALSE(scan.Next(giveUpAtTheThird));
    EXPECT_EQ(looks, 3) << workers << " workers";
    EXPECT_FALSE(scan.Next());
  }
}

}  // namespace
}  // namespace app
