// The explorer: the start-point map in a window of its own, explored with
// the mouse and keys. A mode beside the form's two runs, never inside them.
//
// A view is a region of the plane on an S x S grid, with the values every
// view shares. Its trials are the batch map's (`magpend map --grid S
// --region R`), computed on the map scan's workers in a coarse-to-fine
// order (app/fill_order.h), so a picture is there at once and sharpens.
// Each point is painted with PointColor, so the finished view is that map's
// picture, pixel for pixel.
// A new view ends the scan of the old one (its workers stop within a trial,
// or at a long trial's next look) before it starts.
//
// The user's input (graphics/input_event.h), one event at a time:
//   left click (press and release within 3 pixels): the trial of that start
//     point as the map computes it, its path drawn over the view; a line
//     "start X Y: magnet K after N steps" (or "no magnet"); a long trial
//     stops at the next input ("start X Y: stopped after N steps");
//   left drag: a rectangle follows the pointer; on release the view zooms
//     into the square around it (its centre, its larger side);
//   wheel: in (away from the user) or out by 2 per notch about the pointer;
//   right click, Backspace: the previous view; Home: the first view;
//   arrow keys: pan by a quarter of the view;
//   left drag of a magnet's marker: that magnet moved to the start point
//     where it is let go, a view of the new pendulum;
//   g, G: g divided or multiplied by 1.25; -, +: m likewise; f, F: the
//     friction down or up by 0.01 (each a new view of the new values);
//   M: the markers hidden or shown (the view's command says --markers
//     while they show); P: the view's values to explore-NNN.toml (next free
//     number), a file `--config` reads, and a line "saved: explore-NNN.toml";
//   S: the view's picture as it stands to explore-NNN.png (next free
//     number), a line "saved: explore-NNN.png";
//   H or ?: the help (app/explore_help.h) over the view; H, ? or Escape
//     again only hide it, every other key, click and wheel turn hides it and
//     then does its own work;
//   Escape, Q, closing the window: the end.
// Below the view the window has a status line (app/explore_status.h): the
// view's place, depth and progress, the last click's result, the file just
// saved, the values that differ from the defaults. The window's rows 0 ..
// S - 1 are the view alone.
// Every finished view prints the command that computes it as a file:
//   view: magpend map --grid S --region X0:X1:Y0:Y1 [--g G] [--m M] [--n N]
//         [--magnets="LIST"] [--height H] [--friction K] [--capture C] [--shade] [--markers]
//         -o view.png  # T s
// with numbers in the shortest text that reads back to the same double
// (app/explore_lines.h makes the lines the explorer says).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/known_results.h"
#include "app/map_scan.h"
#include "app/point_color.h"
#include "app/trial_cache.h"
#include "app/view_values.h"
#include "graphics/window_system.h"

namespace app {

// The side of the explorer's views, S, unless --grid gives one.
inline constexpr int defaultExploreSide = 600;

// What every view shares, and the first view's region and values.
struct ExploreSettings {
  PendulumValues values;  // g, m, n and the pendulum of the first view
  int side = defaultExploreSide;  // S: the grid of every view, and the drawing area in pixels
  MapRegion firstRegion;
  Shading shading = Shading::none;
  bool markers = true;  // the magnets' markers over the view (M hides and shows them)
};

struct ExploreOptions {
  unsigned workerThreads = MapScan::DefaultWorkerThreads();
  // Trial results kept for later views (app/trial_cache.h).
  std::size_t cachedResults = TrialCache::defaultCapacity;
  // Results computed before (app/known_results.h), for every view's points
  // that are theirs; null: none.
  std::shared_ptr<const KnownResults> known;
  // Each line the explorer prints, without its line end.
  std::function<void(const std::string& line)> say;
  std::filesystem::path saveFolder = ".";  // where S writes its pictures
  // Called after each slice of a view's results is shown (benchmarks): the
  // view's number (1 the first, counting every start), its points shown so
  // far, and of how many.
  std::function<void(int view, std::int64_t shown, std::int64_t points)> afterSlice;
};

// The caption of the explorer's window.
inline constexpr const char* exploreCaption = "magpend explore";

// Opens the window, shows the first view and follows the user's input until
// the end. 0 when the user ended it; 1 when no window could be opened (a
// line on standard error says so).
int RunExplorer(const ExploreSettings& settings, const ExploreOptions& options);

}  // namespace app
