#include "app/map_picture.h"

#include <new>

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
  pictures::BandPlace place{WindowPixelRow(grid.Coordinate(scan.EndRow() - 1) + 1),
                            WindowPixelRow(grid.Coordinate(scan.firstRow) - 1), runWindowHeight};
  if (scan.EndRow() == grid.side) place.top = 0;
  if (scan.firstRow == 0) place.bottom = runWindowHeight;
  return place;
}

graphics::ColorRef PointColor(std::uint8_t magnet) {
  return magnet == 0 ? graphics::dialogFaceColor : magnetColors[magnet];
}

}  // namespace

pictures::RowSource MapPicture::Rows() const {
  if (surface_) return pictures::SurfaceRows(*surface_, place_.top);
  return [this](std::int32_t y, std::span<graphics::ColorRef> row) {
    // Row 0 of the band is its top row of start points, the last scanned.
    const std::size_t first = static_cast<std::size_t>(place_.bottom - place_.top - 1 - y) *
                              static_cast<std::size_t>(width_);
    for (std::size_t x = 0; x < row.size(); ++x) row[x] = PointColor(magnets_[first + x]);
    return true;
  };
}

std::optional<MapPicture> ComputeMapPicture(const MapPictureJob& job, unsigned workerThreads,
                                            const MapPictureObserver& observer) {
  MapPicture picture;
  const int side = job.scan.grid.side;
  if (job.kind == MapPictureKind::window) {
    graphics::SelectWindowSystem(graphics::WindowSystemKind::offscreen);
    picture.surface_ = OpenRunWindow("Startpunkte");
    if (!picture.surface_) throw std::bad_alloc();
    picture.width_ = runWindowWidth;
    picture.place_ = WindowBandPlace(job.scan);
  } else {
    picture.magnets_.resize(static_cast<std::size_t>(job.scan.TrialCount()));
    picture.width_ = side;
    picture.place_ = {side - job.scan.EndRow(), side - job.scan.firstRow, side};
  }

  const auto stopRequested = [&] { return observer.stopRequested && observer.stopRequested(); };
  const auto duringLongTrial = [&] {
    return stopRequested() ? LongTrialDecision::abandon : LongTrialDecision::goOn;
  };
  MapScan scan(job.scan, workerThreads);
  MapPainting painting;
  const std::int64_t firstTrial = static_cast<std::int64_t>(job.scan.firstRow) * side;
  for (std::int64_t trial = 0; trial < job.scan.TrialCount(); ++trial) {
    const std::optional<TrialResult> result = scan.Next(duringLongTrial);
    if (!result || stopRequested()) return std::nullopt;
    if (picture.surface_) {
      painting.PaintSteps(*result);
      painting.PaintStartPoint(static_cast<int>(firstTrial + trial), *result);
    } else {
      picture.magnets_[static_cast<std::size_t>(trial)] = static_cast<std::uint8_t>(result->caughtBy);
    }
    if ((trial + 1) % side == 0 && observer.afterRow) observer.afterRow(static_cast<int>((trial + 1) / side));
  }
  if (picture.surface_) graphics::CloseGraphicWindow();  // the surface stays with the picture
  return picture;
}

}  // namespace app
