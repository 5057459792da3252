// The start-point map run: for each of 111 x 111 start points, which magnet
// catches a pendulum released there at rest, painted in that magnet's colour.
#pragma once


#include "app/map_scan.h"
#include "app/run_window.h"
#include "console/keyboard.h"

namespace app {

// Tuning of the map run.
struct MapRunOptions {
  // Threads that compute trials ahead of the drawing (at least one). The
  // picture is the same with any number.
  unsigned workerThreads = MapScan::DefaultWorkerThreads();
};

// A caught start point's square reaches this many units from it each way.
inline constexpr double startSquareHalfSide = 1;

// The map's painting on the current target, trial by trial in scan order
// (trials of the window's grid): what every step of a trial draws, the three
// magnet markers, and the square of a caught start point. Used by the map
// window and by its picture made without a display.
//
// Every step of a trial draws the markers before it moves the bob, and
// nothing else draws during a trial: so all those markers land on pixels
// that already show them, unless a square was painted over a marker since
// they were last drawn. The markers are drawn only then (and for the first
// trial): the surface after every trial is the same, pixel for pixel, as
// with the markers drawn at every step.
class MapPainting {
 public:
  // The markers of these magnets (the form's by default).
  explicit MapPainting(std::vector<MagnetPlace> magnets = DefaultMagnetPlaces()) : magnets_(std::move(magnets)) {}

  // What a trial's steps drew: the markers, if it made any step.
  void PaintSteps(const TrialResult& result);
  // The markers as a trial stopped partway drew them.
  void PaintStepsOfUnfinishedTrial();
  // The square of the start point (x, y) when it was caught: 2 x 2 units
  // (startSquareHalfSide each way) in the colour of the catching magnet.
  void PaintStartPoint(double x, double y, const TrialResult& result);

 private:
  void DrawMarkersIfCovered();
  bool SquareMayCoverAMarker(double x, double y) const;
  std::vector<MagnetPlace> magnets_;
  bool markersShown_ = false;  // the surface shows the markers, uncovered
};

// Opens "Startpunkte", runs the 12321 trials in scan order and paints every
// caught start point as a 2 x 2 unit square in the colour of its magnet.
// Escape in the console (polled once per trial; other keys are consumed and
// ignored) returns at once: that point is not painted, there is no pause
// and the window is left open. While a long trial (more than 32767 steps,
// possible only with a trial count beyond that) is awaited, the console is
// also polled after every 65536 of its steps, so that Escape ends even such
// a map within moments. Otherwise the map stays 10 s and closes.
// Returns the window's picture as it stands at the end.
RunPicture RunStartPointMap(double g, double m, double n, console::ConsoleKeyboard& keyboard,
                            const MapRunOptions& options = {});

}  // namespace app
