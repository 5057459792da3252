#include "app/start_point_map.h"

#include "app/magnet_colors.h"
#include "app/model.h"
#include "app/window_pattern.h"
#include "graphics/drawing.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace app {

void PaintStartPoint(int trialIndex, std::int16_t magnet) {
  const runtime::Real x = GridX(trialIndex);
  const runtime::Real y = GridY(trialIndex);
  const graphics::ColorRef color = magnetColors[magnet];
  graphics::DrawGraphicBox(runtime::ToSingle(x - 1), runtime::ToSingle(y - 1),
                           runtime::ToSingle(x + 1), runtime::ToSingle(y + 1), 0, color, color, 0);
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
  for (int trial = 0; trial < gridTrials; ++trial) {
    const std::optional<TrialResult> result = scan.Next(pollDuringLongTrial);
    if (!result) {
      // Escape during a long trial: it had drawn the markers at every step.
      DrawMagnetMarkers();
      return picture;
    }
    // Every step of a trial draws the three markers before it moves the bob.
    // Nothing else draws during a trial, so all markers after the first
    // three land on identical pixels: drawing them once gives the same
    // surface as drawing them at every step.
    if (result->steps > 0) DrawMagnetMarkers();
    if (keyboard.PollKey() == escape) return picture;
    if (result->caughtBy != 0) PaintStartPoint(trial, result->caughtBy);
    if (options.afterTrial) options.afterTrial(trial);
  }
  CloseRunWindow(keyboard);
  return picture;
}

}  // namespace app
