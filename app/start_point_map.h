// The start-point map run: for each of 111 x 111 start points, which magnet
// catches a pendulum released there at rest, painted in that magnet's colour.
#pragma once

#include <functional>

#include "app/map_scan.h"
#include "app/window_pattern.h"
#include "console/keyboard.h"

namespace app {

// Tuning and observation of the map run.
struct MapRunOptions {
  // Threads that compute trials ahead of the drawing; 0 computes each trial
  // on the calling thread when it is due. The picture is the same either way.
  unsigned workerThreads = MapScan::DefaultWorkerThreads();
  // Called after each trial has been drawn (tests compare surfaces there).
  std::function<void(int trialIndex)> afterTrial;
};

// Paints the start point of trial `trialIndex` (of the window's grid, in
// scan order) as the map shows a catch: a 2 x 2 unit square in the colour
// of magnet `magnet`, on the current target.
void PaintStartPoint(int trialIndex, std::int16_t magnet);

// Opens "Startpunkte", runs the 12321 trials in scan order and paints every
// caught start point as a 2 x 2 unit square in the colour of its magnet.
// Escape in the console (polled once per trial; other keys are consumed and
// ignored) returns at once: that point is not painted, there is no pause
// and the window is left open. While a long trial (more than 32767 steps,
// possible only with a trial count beyond that) is awaited, the console is
// also polled after every 65536 of its steps, so that Escape ends even such
// a map within moments. Otherwise the map stays 10 s and closes.
// Returns the window's picture as it stands at the end.
RunPicture RunStartPointMap(double m, double g, double n, console::ConsoleKeyboard& keyboard,
                            const MapRunOptions& options = {});

}  // namespace app
