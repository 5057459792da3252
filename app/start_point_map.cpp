#include "app/start_point_map.h"

#include <cmath>

#include "app/magnets.h"
#include "app/model.h"
#include "app/run_window.h"
#include "graphics/drawing.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace app {

namespace {

// Whether the square of the start point (x, y) may reach into the box of a
// marker (3 units around its magnet); with a unit to spare.
bool SquareMayCoverAMarker(double x, double y) {
  constexpr double reach = 1 + 3 + 1;
  for (const Magnet& magnet : Magnets()) {
    if (std::fabs(x - magnet.x) <= reach && std::fabs(y - magnet.y) <= reach) return true;
  }
  return false;
}

}  // namespace

void MapPainting::DrawMarkersIfCovered() {
  if (markersShown_) return;
  DrawMagnetMarkers();
  markersShown_ = true;
}

void MapPainting::PaintSteps(const TrialResult& result) {
  if (result.steps > 0) DrawMarkersIfCovered();
}

void MapPainting::PaintStepsOfUnfinishedTrial() { DrawMarkersIfCovered(); }

void MapPainting::PaintStartPoint(int trialIndex, const TrialResult& result) {
  if (result.caughtBy == 0) return;
  const double gridX = GridX(trialIndex);
  const double gridY = GridY(trialIndex);
  const runtime::Real x = gridX;
  const runtime::Real y = gridY;
  const graphics::ColorRef color = magnetColors[result.caughtBy];
  graphics::DrawGraphicBox(runtime::ToSingle(x - 1), runtime::ToSingle(y - 1),
                           runtime::ToSingle(x + 1), runtime::ToSingle(y + 1), graphics::squareCorners, color, color);
  if (SquareMayCoverAMarker(gridX, gridY)) markersShown_ = false;
}

RunPicture RunStartPointMap(double m, double g, double n, console::ConsoleKeyboard& keyboard,
                            const MapRunOptions& options) {
  const RunPicture picture = OpenRunWindow("Startpunkte");
  const runtime::Text escape = runtime::TextFromCode(27);
  ScanJob job;
  job.g = g;
  job.m = m;
  job.stepLimit = TrialStepLimit(n);
  MapScan scan(job, options.workerThreads);
  const auto pollDuringLongTrial = [&] {
    return keyboard.PollKey() == escape ? LongTrialDecision::abandon : LongTrialDecision::goOn;
  };
  MapPainting painting;
  for (int trial = 0; trial < gridTrials; ++trial) {
    const std::optional<TrialResult> result = scan.Next(pollDuringLongTrial);
    if (!result) {  // Escape during a long trial
      painting.PaintStepsOfUnfinishedTrial();
      return picture;
    }
    painting.PaintSteps(*result);
    if (keyboard.PollKey() == escape) return picture;
    painting.PaintStartPoint(trial, *result);
    if (options.afterTrial) options.afterTrial(trial);
  }
  CloseRunWindow(keyboard);
  return picture;
}

}  // namespace app
