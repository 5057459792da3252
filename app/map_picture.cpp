#include "app/map_picture.h"

#include <algorithm>

#include "app/magnets.h"
#include "app/model.h"
#include "app/start_point_map.h"
#include "graphics/graphic_window.h"
#include "graphics/window_system.h"

namespace app {

namespace {

// The pixel row of the model's y in the run window (y growing upwards).
std::int32_t WindowPixelRow(double y) {
  constexpr double pixelsPerUnit = runWindowHeight / (runViewTop - runViewBottom);
  return static_cast<std::int32_t>((runViewTop - y) * pixelsPerUnit);
}

// The square of a row of start points at y spans y - 1 to y + 1: pixel rows
// from that of y + 1 down to, not including, that of y - 1.
pictures::BandPlace WindowBandPlace(const ScanJob& scan) {
  const StartGrid grid = scan.grid;
  pictures::BandPlace place{WindowPixelRow(grid.Y(scan.EndRow() - 1) + 1),
                            WindowPixelRow(grid.Y(scan.firstRow) - 1), runWindowHeight};
  if (scan.EndRow() == grid.Height()) place.top = 0;
  if (scan.firstRow == 0) place.bottom = runWindowHeight;
  return place;
}

}  // namespace

graphics::WindowHandle OpenMapPictureWindow() {
  return graphics::OpenWindow(graphics::WindowSystemKind::offscreen,
                              {mapCaption, windowLeft, windowTop, runWindowWidth, runWindowHeight, nullptr});
}

pictures::RowSource MapPicture::Rows() const {
  if (surface_) return pictures::SurfaceRows(*surface_, place_.top);
  return [this](std::int32_t y, std::span<graphics::ColorRef> row) {
    // Row 0 of the band is its top row of start points, the last scanned.
    const std::size_t first = static_cast<std::size_t>(place_.bottom - place_.top - 1 - y) *
                              static_cast<std::size_t>(width_);
    std::copy_n(colors_.begin() + static_cast<std::ptrdiff_t>(first), row.size(), row.begin());
    return true;
  };
}

std::optional<MapPicture> ComputeMapPicture(const MapPictureJob& job, unsigned workerThreads,
                                            const MapPictureObserver& observer,
                                            graphics::WindowHandle window) {
  MapPicture picture;
  const int width = job.scan.grid.Width();
  const int height = job.scan.grid.Height();
  if (job.kind == MapPictureKind::window) {
    // The map run's window, as OpenRunWindow prepares it.
    graphics::AttachGraphicWindow(window);
    graphics::SetGraphicScale(runViewLeft, runViewTop, runViewRight, runViewBottom);
    picture.surface_ = graphics::CurrentTargetSurface();
    if (!picture.surface_) return std::nullopt;  // no window given: a mistake of the caller
    picture.width_ = runWindowWidth;
    picture.place_ = WindowBandPlace(job.scan);
  } else {
    picture.colors_.resize(static_cast<std::size_t>(job.scan.TrialCount()));
    picture.width_ = width;
    picture.place_ = {height - job.scan.EndRow(), height - job.scan.firstRow, height};
  }

  const auto stopRequested = [&] { return observer.stopRequested && observer.stopRequested(); };
  const auto duringLongTrial = [&] {
    return stopRequested() ? LongTrialDecision::abandon : LongTrialDecision::goOn;
  };
  MapScan scan(job.scan, workerThreads);
  MapPainting painting(job.scan.rules.pendulum.magnets);
  for (std::int64_t trial = 0; trial < job.scan.TrialCount(); ++trial) {
    const std::optional<TrialResult> result = scan.Next(duringLongTrial);
    if (!result || stopRequested()) return std::nullopt;
    if (observer.eachResult) observer.eachResult(*result);
    if (picture.surface_) {
      painting.PaintSteps(*result);
      painting.PaintStartPoint(job.scan.X(trial), job.scan.Y(trial), *result);
    } else {
      picture.colors_[static_cast<std::size_t>(trial)] = PointColor(*result, job.scan.rules.stepLimit, job.shading);
    }
    if ((trial + 1) % width == 0 && observer.afterRow) observer.afterRow(static_cast<int>((trial + 1) / width));
  }
  if (job.markers && !picture.surface_) {
    // The band's points lie in scan order: its bottom row first.
    PaintMarkers(job.scan.grid, job.scan.rules.pendulum.magnets, [&](int column, int row, graphics::ColorRef color) {
      if (row < job.scan.firstRow || row >= job.scan.EndRow()) return;
      picture.colors_[static_cast<std::size_t>(row - job.scan.firstRow) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(column)] = color;
    });
  }
  return picture;
}

}  // namespace app
