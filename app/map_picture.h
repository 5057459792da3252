// The start-point map as a picture file's content, made without a terminal
// or a display. It uses the map window's scan (the same trials, workers and
// order), and for the window's own picture the map run's own painting, on an
// offscreen window, so both show the same pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "app/map_scan.h"
#include "app/run_window.h"
#include "pictures/band.h"
#include "pictures/png_file.h"

namespace app {

// Which picture of the map.
enum class MapPictureKind {
  window,         // the map window's 800 x 600 drawing area (the window's grid)
  pixelPerPoint,  // one pixel per start point, the top row first
};

struct MapPictureJob {
  ScanJob scan;  // the values, the grid and the band of rows
  MapPictureKind kind = MapPictureKind::window;
};

// Watching and stopping the computation.
struct MapPictureObserver {
  std::function<void(int rowsDone)> afterRow;  // after each row of start points
  std::function<bool()> stopRequested;         // asked after each trial and during long trials
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
                                                     const MapPictureObserver&);
  std::int32_t width_ = 0;
  pictures::BandPlace place_;
  RunPicture surface_;                // window: the offscreen drawing area
  std::vector<std::uint8_t> magnets_;  // pixel per point: catching magnet per start point, scan order
};

// Computes the picture with `workerThreads` threads computing ahead (the
// window kind paints on the calling thread, on an offscreen window: it
// selects the offscreen window system for the process). Nothing when
// stopped. Throws std::bad_alloc when the picture's memory cannot be had.
std::optional<MapPicture> ComputeMapPicture(const MapPictureJob& job, unsigned workerThreads,
                                            const MapPictureObserver& observer);

}  // namespace app
