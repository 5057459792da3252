#include "app/start_point_map.h"

#include <cmath>

#include "app/magnets.h"
#include "app/model.h"
#include "app/run_window.h"
#include "graphics/drawing.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace app {

// Whether the square of the start point (x, y) may reach into the box of a
// marker (windowMarkerReach units around its magnet); with a unit to spare.
bool MapPainting::SquareMayCoverAMarker(double x, double y) const {
  // The square's half side, the marker's reach and a pixel of its outline.
  constexpr double reach = startSquareHalfSide + windowMarkerReach + 1;
  for (const MagnetPlace& magnet : magnets_) {
    if (std::fabs(x - magnet.x) <= reach && std::fabs(y - magnet.y) <= reach) return true;
  }
  return false;
}

void MapPainting::DrawMarkersIfCovered() {
  if (markersShown_) return;
  DrawMagnetMarkers(magnets_);
  markersShown_ = true;
}

void MapPainting::PaintSteps(const TrialResult& result) {
  if (result.steps > 0) DrawMarkersIfCovered();
}

void MapPainting::PaintStepsOfUnfinishedTrial() { DrawMarkersIfCovered(); }

void MapPainting::PaintStartPoint(double gridX, double gridY, const TrialResult& result) {
  if (result.caughtBy == 0) return;
  const runtime::Real x = gridX;
  const runtime::Real y = gridY;
  const graphics::ColorRef color = magnetColors[result.caughtBy];
  const double half = startSquareHalfSide;
  graphics::DrawGraphicBox(runtime::ToSingle(x - half), runtime::ToSingle(y - half), runtime::ToSingle(x + half),
                           runtime::ToSingle(y + half), graphics::squareCorners, color, color);
  if (SquareMayCoverAMarker(gridX, gridY)) markersShown_ = false;
}

RunPicture RunStartPointMap(double g, double m, double n, console::ConsoleKeyboard& keyboard,
                            const MapRunOptions& options) {
  const RunPicture picture = OpenRunWindow(mapCaption);
  const runtime::Text escape = runtime::TextFromCode(27);
  ScanJob job;
  job.rules.g = g;
  job.rules.m = m;
  job.rules.stepLimit = TrialStepLimit(n);
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
    painting.PaintStartPoint(job.X(trial), job.Y(trial), *result);
  }
  CloseRunWindow(keyboard);
  return picture;
}

}  // namespace app
