// The start-point map as a picture file's content, made without a terminal
// or a display. It uses the map window's scan (the same trials, workers and
// order), and for the window's own picture the map run's own painting, on an
// offscreen window, so both show the same pixels. A picture with a pixel per
// point paints each point with PointColor (app/point_color.h), as the
// explorer does.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "app/map_scan.h"
#include "app/point_color.h"
#include "app/run_window.h"
#include "graphics/graphic_window.h"
#include "pictures/band.h"
#include "pictures/png_file.h"

namespace app {

// Which picture of the map.
enum class MapPictureKind {
  window,         // the map window's 800 x 600 drawing area (the window's grid)
  pixelPerPoint,  // one pixel per start point, the top row first
};

struct MapPictureJob {
  ScanJob scan;  // the values, the grid (and its region) and the band of rows
  MapPictureKind kind = MapPictureKind::window;
  Shading shading = Shading::none;  // pixel per point only
  bool markers = false;             // pixel per point only: the magnets' markers over the points
};

// The offscreen window that ComputeMapPicture paints the window kind on,
// whatever window system the process uses: "Startpunkte" as the map run
// opens it. 0 when it cannot be made (no memory, no thread); the caller
// ends it (graphics::ShutdownWindowSystem) once the picture is written.
graphics::WindowHandle OpenMapPictureWindow();

// Watching and stopping the computation.
struct MapPictureObserver {
  std::function<void(int rowsDone)> afterRow;  // after each row of start points
  std::function<bool()> stopRequested;         // asked after each trial and during long trials
  std::function<void(const TrialResult&)> eachResult;  // each trial's result, in scan order
};

// A computed band of a map picture: the rows of the whole picture that the
// band's rows of start points make. A pixel-per-point band holds exactly its
// rows; a window band holds the pixel rows its squares cover, and the band
// with the bottom (top) row of start points also the margin below (above)
// the squares, so that the bands of one map join into the whole picture.
class MapPicture {
 public:
  std::int32_t Width() const { return width_; }
  pictures::BandPlace Place() const { return place_; }
  // The band's rows from its top; valid while the picture lives.
  pictures::RowSource Rows() const;

 private:
  friend std::optional<MapPicture> ComputeMapPicture(const MapPictureJob&, unsigned,
                                                     const MapPictureObserver&, graphics::WindowHandle);
  std::int32_t width_ = 0;
  pictures::BandPlace place_;
  RunPicture surface_;                // window: the offscreen drawing area
  std::vector<graphics::ColorRef> colors_;  // pixel per point: the points' colours, scan order
};

// Computes the picture with `workerThreads` threads computing ahead. The
// window kind paints on the calling thread, on `window` (OpenMapPictureWindow;
// the other kind needs none). Nothing when stopped. Throws std::bad_alloc
// when the picture's memory cannot be had.
std::optional<MapPicture> ComputeMapPicture(const MapPictureJob& job, unsigned workerThreads,
                                            const MapPictureObserver& observer,
                                            graphics::WindowHandle window = 0);

}  // namespace app
