// The explorer's speed, on an offscreen window (driven through its input
// queue as a user would drive a real one): (a) the default view's 600 x 600 trials bare on one
// thread; (b) the whole default view as the explorer computes and shows it,
// against (a); (c) from the window's opening to its first coarse picture
// (every 8 x 8 block painted); (d) from a new view's key to the moment the
// old view's workers have stopped and the new view shows its first points;
// (e) each move from a finished view to the new view finished, against (b):
// a pan by one arrow key, Home, a wheel notch in and one out about another
// point, back (Backspace) and Home to finished views, and a notch out of the
// first view. Views share their start points with the views around them,
// and the points already computed are kept, so a pan computes a quarter of
// its points, a zoom three quarters (less where the old views cover more),
// back and Home none; (f) for each move, from its input to the first change
// of the window's screen (the old view's pixels moved and scaled, or a
// finished view's pixels).
// On a loaded machine the wall times say little; the processor times
// beside them (of the whole process, so of all its threads) say what the
// work costs: on a quiet machine with C cores the view would take about its
// processor time / C.
// Usage: explore_bench [rounds]
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "app/explore.h"
#include "tests/support/offscreen_inspection.h"
#include "runtime/numeric.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double ProcessorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Timing {
  double wall = 0;       // seconds
  double processor = 0;  // seconds of all the process's threads
};

Timing BareView(int side) {
  app::ScanJob job;
  job.grid.side = side;
  const auto start = Clock::now();
  const double processorStart = ProcessorSeconds();
  for (std::int64_t trial = 0; trial < job.TrialCount(); ++trial) {
    app::RunTrial(job.X(trial), job.Y(trial), job.rules);
  }
  return {SecondsSince(start), ProcessorSeconds() - processorStart};
}

// The moves of (e), in the order made.
constexpr const char* moveNames[] = {"pan (an arrow key)",     "Home",
                                     "zoom in (a wheel notch)", "zoom out elsewhere",
                                     "back (Backspace)",        "Home again",
                                     "zoom out of the first view"};
constexpr std::size_t moveCount = std::size(moveNames);

struct ExploreFigures {
  double firstPicture = 0;  // (c)
  Timing wholeView;         // (b)
  double newViewStop = 0;   // (d)
  double moves[moveCount] = {};  // (e), seconds
  double screenChanged[moveCount] = {};  // (f), seconds
};

// Waits until the window's screen (what its repaints copied) differs from
// `before`, and says how long that took.
double UntilScreenChanges(const std::vector<graphics::ColorRef>& before, Clock::time_point asked) {
  while (graphics::offscreen::InspectOffscreenWindow(app::exploreCaption)->screen == before) std::this_thread::yield();
  return SecondsSince(asked);
}

// One explorer: the first view to its end, then a new view (an arrow key)
// while a second one is under way, then Escape.
ExploreFigures MeasureExplorer(int side) {
  std::mutex mutex;
  std::condition_variable progressed;
  int view = 0;
  std::int64_t shown = 0;
  std::int64_t points = 1;
  ExploreFigures figures;
  Clock::time_point opened;
  double processorAtOpening = 0;
  const std::int64_t firstPass = static_cast<std::int64_t>((side + 7) / 8) * ((side + 7) / 8);

  app::ExploreSettings settings;
  settings.side = side;
  app::ExploreOptions options;
  graphics::offscreen::SelectInspectedWindows();
  options.afterSlice = [&](int sliceView, std::int64_t sliceShown, std::int64_t slicePoints) {
    {
      std::lock_guard lock(mutex);
      if (sliceView == 1 && figures.firstPicture == 0 && sliceShown >= firstPass) {
        figures.firstPicture = SecondsSince(opened);
      }
      if (sliceView == 1 && sliceShown == slicePoints) {
        figures.wholeView = {SecondsSince(opened), ProcessorSeconds() - processorAtOpening};
      }
      view = sliceView;
      shown = sliceShown;
      points = slicePoints;
    }
    progressed.notify_all();
  };
  opened = Clock::now();
  processorAtOpening = ProcessorSeconds();
  auto explorer = std::async(std::launch::async, [&] { return app::RunExplorer(settings, options); });
  const auto send = [&](graphics::InputKey key) {
    graphics::offscreen::SendOffscreenInput(app::exploreCaption, {.kind = graphics::InputKind::key, .key = key});
  };
  const auto wheel = [&](int steps, int at) {
    graphics::offscreen::SendOffscreenInput(
        app::exploreCaption, {.kind = graphics::InputKind::wheel, .x = at, .y = at, .wheelSteps = steps});
  };
  std::unique_lock lock(mutex);
  progressed.wait(lock, [&] { return view == 1 && shown == points; });
  // (e): from the first view, finished: a pan, Home; a zoom in about the
  // centre, out about another point, back; Home; out of the first view
  // (into its surroundings, whose trials are mostly long).
  const std::function<void()> moves[moveCount] = {
      [&] { send(graphics::InputKey::right); }, [&] { send(graphics::InputKey::home); },
      [&] { wheel(1, side / 2); },              [&] { wheel(-1, side / 4); },
      [&] { send(graphics::InputKey::backspace); }, [&] { send(graphics::InputKey::home); },
      [&] { wheel(-1, side / 2); }};
  int viewsSoFar = 1;
  for (std::size_t move = 0; move < moveCount; ++move) {
    lock.unlock();
    const std::vector<graphics::ColorRef> before = graphics::offscreen::InspectOffscreenWindow(app::exploreCaption)->screen;
    const Clock::time_point asked = Clock::now();
    moves[move]();
    figures.screenChanged[move] = UntilScreenChanges(before, asked);
    lock.lock();
    ++viewsSoFar;
    progressed.wait(lock, [&] { return view == viewsSoFar && shown == points; });
    figures.moves[move] = SecondsSince(asked);
  }
  // A second view under way, then a third asked for.
  send(graphics::InputKey::right);
  progressed.wait(lock, [&] { return view == viewsSoFar + 1 && shown >= firstPass; });
  const Clock::time_point asked = Clock::now();
  send(graphics::InputKey::left);
  progressed.wait(lock, [&] { return view == viewsSoFar + 2; });
  figures.newViewStop = SecondsSince(asked);
  lock.unlock();
  send(graphics::InputKey::escape);
  explorer.get();
  return figures;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  constexpr int side = 600;
  runtime::LoadFloatingPointControl();
  std::vector<double> bare, bareProcessor, whole, wholeProcessor, first, stop;
  std::vector<double> moves[moveCount];
  std::vector<double> screenChanged[moveCount];
  for (int round = 0; round < rounds; ++round) {
    const Timing bareTiming = BareView(side);
    bare.push_back(bareTiming.wall);
    bareProcessor.push_back(bareTiming.processor);
    const ExploreFigures figures = MeasureExplorer(side);
    whole.push_back(figures.wholeView.wall);
    wholeProcessor.push_back(figures.wholeView.processor);
    first.push_back(figures.firstPicture);
    stop.push_back(figures.newViewStop);
    for (std::size_t move = 0; move < moveCount; ++move) {
      moves[move].push_back(figures.moves[move]);
      screenChanged[move].push_back(figures.screenChanged[move]);
    }
  }
  const double a = Median(bare);
  std::printf("median of %d rounds, the default view (%d x %d, g 5, m 400, n 2000), offscreen window:\n", rounds,
              side, side);
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::printf("(a) its trials bare, one thread:               %7.2f s (processor %.2f s)\n", a,
              Median(bareProcessor));
  std::printf("(b) the view as the explorer shows it, %u cores: %7.2f s (processor %.2f s)   b/a = %.2f\n",
              cores, Median(whole), Median(wholeProcessor), Median(whole) / a);
  std::printf("    from processor times, b/a on a quiet machine = %.2f\n",
              Median(wholeProcessor) / cores / Median(bareProcessor));
  std::printf("(c) from the window's opening to the first coarse picture: %.3f s\n", Median(first));
  std::printf("(d) from a new view's key to its first points shown:      %.1f ms\n", 1000 * Median(stop));
  std::printf("(e) a move to its new view finished, against (b); (f) from the move to the screen's first change:\n");
  for (std::size_t move = 0; move < moveCount; ++move) {
    std::printf("    %-26s %7.3f s   %.2f x   (f) %.1f ms\n", moveNames[move], Median(moves[move]),
                Median(moves[move]) / Median(whole), 1000 * Median(screenChanged[move]));
  }
  return 0;
}
