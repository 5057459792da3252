// Timings of the two runs as the program performs them, against the bare
// arithmetic (and (e), the map's scan alone, with every worker and nothing
// painted):
//   (a) the default map computed on one thread, no drawing;
//   (b) the map run on offscreen windows: every drawing operation and
//       refresh, pauses skipped; with one worker thread and with all cores;
//   (c) the same on X11 windows, when a display is reachable;
//   (d) the default path run with real pauses: its duration against its
//       steps times 6 ms.
// The map timings are the median of five rounds, each round measuring all of
// them in turn, so that a moment of load on the machine (or a first window's
// warm-up in the X server) does not decide a ratio.
// Usage: run_bench [--skip-path]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <algorithm>
#include <thread>
#include <vector>

#include "app/path_run.h"
#include "app/start_point_map.h"
#include "console/keyboard.h"
#include "tests/support/scripted_keys.h"
#include "graphics/graphic_window.h"
#include "graphics/window_system.h"
#include "runtime/numeric.h"
#include "runtime/clock.h"

namespace {

double SecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BareMap() {
  return SecondsOf([] {
    const std::int64_t limit = app::TrialStepLimit(2000);
    const app::ScanJob map;
    for (int trial = 0; trial < app::gridTrials; ++trial) {
      app::RunTrial(map.X(trial), map.Y(trial), {5, 400, limit, {}});
    }
  });
}

double MapRun(graphics::WindowSystemKind windows, unsigned workers) {
  graphics::SelectWindowSystem(windows);
  console::ScriptedKeys keys;
  runtime::VirtualClock clock;
  console::ConsoleKeyboard keyboard(keys, clock);
  app::MapRunOptions options;
  options.workerThreads = workers;
  const double seconds =
      SecondsOf([&] { app::RunStartPointMap(5, 400, 2000, keyboard, options); });
  graphics::ShutdownWindowSystem();
  return seconds;
}

// The map's computation alone: the scan with every worker, nothing painted.
double ScanAlone(unsigned workers) {
  return SecondsOf([&] {
    app::MapScan scan(app::ScanJob{}, workers);
    while (scan.Next()) {
    }
  });
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Real pauses, except the final 10 seconds, which say nothing about pacing.
class PacingClock final : public runtime::Clock {
 public:
  void SleepMilliseconds(std::uint32_t milliseconds) override {
    if (milliseconds == 10000) return;
    ++steps;
    system_.SleepMilliseconds(milliseconds);
  }
  long steps = 0;

 private:
  runtime::SystemClock system_;
};

// Whether an X11 window can be opened at all.
bool DisplayReachable() {
  graphics::SelectWindowSystem(graphics::WindowSystemKind::desktop);
  const graphics::WindowHandle probe = graphics::OpenGraphicWindow("probe", 0, 0, 8, 8);
  if (probe == 0) return false;
  graphics::AttachGraphicWindow(probe);
  graphics::CloseGraphicWindow();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool skipPath = argc > 1 && std::strcmp(argv[1], "--skip-path") == 0;
  runtime::LoadFloatingPointControl();
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());

  const bool withX11 = DisplayReachable();
  constexpr int rounds = 5;
  std::vector<double> bare, scanAlone, oneWorker, allWorkers, x11;
  for (int round = 0; round < rounds; ++round) {
    bare.push_back(BareMap());
    scanAlone.push_back(ScanAlone(cores));
    oneWorker.push_back(MapRun(graphics::WindowSystemKind::offscreen, 1));
    allWorkers.push_back(MapRun(graphics::WindowSystemKind::offscreen, cores));
    if (withX11) x11.push_back(MapRun(graphics::WindowSystemKind::desktop, cores));
  }
  const double a = Median(bare);
  const double b1 = Median(oneWorker);
  const double bAll = Median(allWorkers);
  std::printf("median of %d rounds:\n", rounds);
  std::printf("(a) bare default map, one thread:        %7.3f s\n", a);
  std::printf("(b) map run, offscreen, 1 worker:        %7.3f s   b/a = %.2f\n", b1, b1 / a);
  std::printf("(b) map run, offscreen, %u workers:       %7.3f s   b/a = %.2f\n", cores, bAll,
              bAll / a);
  if (withX11) {
    const double c = Median(x11);
    std::printf("(c) map run, X11, %u workers:             %7.3f s   c/a = %.2f   c/b = %.2f\n",
                cores, c, c / a, c / bAll);
  } else {
    std::printf("(c) no X display reachable: X11 map run not measured\n");
  }
  std::printf("(e) the map's computation alone, %u workers: %.3f s\n", cores, Median(scanAlone));
  if (skipPath) return 0;

  graphics::SelectWindowSystem(graphics::WindowSystemKind::offscreen);
  console::ScriptedKeys keys;
  PacingClock clock;
  console::ConsoleKeyboard keyboard(keys, clock);
  const double path = SecondsOf([&] { app::RunPathWindow(-50, 50, 5, 400, 0.03f, 2000, keyboard); });
  const double paced = clock.steps * 0.006;
  std::printf("(d) default path run: %ld steps in %.3f s; steps x 6 ms = %.3f s (%+.2f%%)\n",
              clock.steps, path, paced, 100 * (path - paced) / paced);
  graphics::ShutdownWindowSystem();
  return 0;
}
