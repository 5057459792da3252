#include "app/start_point_map.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/magnets.h"
#include "app/model.h"
#include "app/run_window.h"
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

// The map run done the plain way, one trial after another on this thread,
// as the program's run must look: every step of a trial draws the three
// markers before it moves the bob; the step counter is a 16-bit integer
// compared with n; after each trial the keyboard is looked at (Escape ends
// the run) and a caught bob's start point is painted in its magnet's colour.
// Only for whole n within the counter's range, which every trial of these
// tests reaches.
void StraightforwardMapRun(double m, double g, double n, console::ConsoleKeyboard& keyboard) {
  OpenRunWindow("Startpunkte");
  const ScanJob map;
  for (int trial = 0; trial < gridTrials; ++trial) {
    const double x = map.X(trial);
    const double y = map.Y(trial);
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
      const runtime::Real centreX = x;
      const runtime::Real centreY = y;
      graphics::DrawGraphicBox(runtime::ToSingle(centreX - 1), runtime::ToSingle(centreY - 1),
                               runtime::ToSingle(centreX + 1), runtime::ToSingle(centreY + 1), graphics::squareCorners, color, color);
    }
  }
  CloseRunWindow(keyboard);
}

class MapRunTest : public testing::OffscreenRunTest {
 protected:
  // Fingerprints of the surface at every `every`-th look at the keyboard
  // (once a trial, after its steps and before its start point is painted)
  // and at the end.
  std::vector<std::uint64_t> FingerprintsOf(const std::function<void(console::ConsoleKeyboard&)>& run,
                                            int every) {
    console::ScriptedKeys keys;
    ObservingClock clock;
    console::ConsoleKeyboard keyboard(keys, clock);
    std::vector<std::uint64_t> prints;
    keys.OnEachLook([&](std::size_t look) {
      if (look % every == 0) prints.push_back(Fingerprint(*InspectOffscreenSurface("Startpunkte")));
    });
    run(keyboard);
    prints.push_back(Fingerprint(*InspectOffscreenSurface("Startpunkte")));
    return prints;
  }

  std::vector<std::uint64_t> Straightforward(double n, int every) {
    return FingerprintsOf([&](console::ConsoleKeyboard& keyboard) { StraightforwardMapRun(400, 5, n, keyboard); },
                          every);
  }

  // What the fast run is compared with: the straightforward run; under TSan,
  // which looks for races and makes every drawing many times slower, the
  // run with one worker thread (the other builds compare with the
  // straightforward one), and the runs with more workers are compared with it.
#ifdef MAGPEND_THREAD_SANITIZED
  static constexpr unsigned fewestComparedWorkers = 2;
  std::vector<std::uint64_t> Reference(double n, int every) { return Fast(n, every, 1); }
#else
  static constexpr unsigned fewestComparedWorkers = 1;
  std::vector<std::uint64_t> Reference(double n, int every) { return Straightforward(n, every); }
#endif

  std::vector<std::uint64_t> Fast(double n, int every, unsigned workers) {
    MapRunOptions options;
    options.workerThreads = workers;
    return FingerprintsOf(
        [&](console::ConsoleKeyboard& keyboard) { RunStartPointMap(5, 400, n, keyboard, options); }, every);
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
  const auto fast = Fast(longTrialCount, 101, 2);
  EXPECT_EQ(fast, Reference(longTrialCount, 101));
#ifndef MAGPEND_FEWER_PICTURES
  // The finished default map as the x87 build paints it: every build, the
  // software Real's too, must paint exactly this picture.
  EXPECT_EQ(fast.back(), 0xff6357759395fb23u);
#endif
}

TEST_F(MapRunTest, EscapeCutsBothRunsAtTheSameSurface) {
  const int stopTrial = 5000;
  const auto finalSurface = [&](const std::function<void(console::ConsoleKeyboard&)>& run) {
    graphics::offscreen::SelectInspectedWindows();
    testing::KeyAtLook escape(console::CharacterKey(27), stopTrial);
    ObservingClock clock;
    console::ConsoleKeyboard keyboard(escape, clock);
    run(keyboard);
    const auto image = InspectOffscreenWindow("Startpunkte");
    graphics::ShutdownWindowSystem();
    return Fingerprint(image->surface);
  };
  const std::uint64_t reference = finalSurface(
      [](console::ConsoleKeyboard& keyboard) { StraightforwardMapRun(400, 5, 50, keyboard); });
  MapRunOptions options;
  options.workerThreads = 2;
  EXPECT_EQ(finalSurface([&](console::ConsoleKeyboard& keyboard) {
              RunStartPointMap(5, 400, 50, keyboard, options);
            }),
            reference);
}

TEST_F(MapRunTest, WithOneStepOnlyPointsNearAMagnetArePainted) {
  console::ScriptedKeys keys;
  ObservingClock clock;
  console::ConsoleKeyboard keyboard(keys, clock);
  RunStartPointMap(5, 400, 1, keyboard);
  const auto image = InspectOffscreenWindow("Startpunkte");
  ASSERT_TRUE(image);
  EXPECT_FALSE(image->open);
  EXPECT_EQ(clock.pauses, std::vector<std::uint32_t>{10000});
  int painted = 0;
  const ScanJob map;
  for (int trial = 0; trial < gridTrials; ++trial) {
    const double x = map.X(trial);
    const double y = map.Y(trial);
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
  for (unsigned workers : {1u, 2u}) {
    graphics::offscreen::SelectInspectedWindows();
    testing::KeyAtLook escape(console::CharacterKey(27), stopTrial);
    ObservingClock clock;
    console::ConsoleKeyboard keyboard(escape, clock);
    MapRunOptions options;
    options.workerThreads = workers;
    RunStartPointMap(5, 400, 2000, keyboard, options);
    EXPECT_EQ(escape.Looks(), stopTrial + 1) << "a look after the Escape";
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
  RunStartPointMap(5, 400, 2000, keyboard);
  // The first three start points painted as their trials end, the fourth not.
  const auto image = InspectOffscreenWindow("Startpunkte");
  ASSERT_TRUE(image);
  const ScanJob map;
  for (int trial = 0; trial < 4; ++trial) {
    const TrialResult result = RunTrial(map.X(trial), map.Y(trial), map.rules);
    ASSERT_NE(result.caughtBy, 0) << "a trial whose square shows nothing";
    const graphics::ColorRef expected = trial < 3 ? magnetColors[result.caughtBy] : testing::background;
    EXPECT_EQ(image->SurfacePixel(testing::PixelX(map.X(trial)), testing::PixelY(map.Y(trial))), expected) << trial;
  }
}

}  // namespace
}  // namespace app
