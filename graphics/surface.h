// The persistent pixel surface of a drawing area and its rasteriser.
//
// A surface is width x height 32-bit pixels holding `ColorRef` values, row by
// row from the top-left pixel (0, 0). The drawing primitives clip to the
// surface, so any coordinates are allowed, also far outside it.
//
// Pixel rules, pinned by tests:
//   - DrawLine paints the start pixel but not the end pixel, so lines that
//     continue one another never paint their joint twice.
//   - DrawBox covers columns left .. right-1 and rows top .. bottom-1: the
//     right and bottom coordinates are exclusive. Its outline is one pixel
//     wide: every pixel of the figure with a 4-neighbour outside it.
//   - Hatch lines are 8 pixels apart and aligned to the surface's origin, so
//     neighbouring hatched figures continue one another's pattern.
//
// The surface remembers the bounding box of every pixel that actually
// changed value since the last `TakeChangedArea`, so a repaint can copy only
// what shows something new, and skip the copy when nothing changed.
//
// Threads: drawing happens under the process-wide DrawingLock; painting may
// read the surface at any time from the window's own thread. The surface's
// own short lock keeps the two apart; it is never held while waiting for
// anything else.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "graphics/color.h"

namespace graphics {

// A pixel position; x to the right, y downwards.
struct PixelPoint {
  std::int32_t x = 0;  // column
  std::int32_t y = 0;  // row
};

// A rectangle of pixels; right and bottom are exclusive.
struct PixelRect {
  std::int32_t left = 0;    // first column
  std::int32_t top = 0;     // first row
  std::int32_t right = 0;   // one past the last column
  std::int32_t bottom = 0;  // one past the last row

  bool IsEmpty() const { return right <= left || bottom <= top; }
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  // The smallest rectangle holding both (an empty one adds nothing).
  PixelRect UnitedWith(const PixelRect& other) const;
  // The part of both (may be empty).
  PixelRect IntersectedWith(const PixelRect& other) const;
};

// The interior patterns of a box: the fill styles 0-6.
enum class FillPattern : std::uint32_t {
  solid = 0,
  horizontal = 1,        // horizontal lines
  vertical = 2,          // vertical lines
  fallingDiagonal = 3,   // from upper left to lower right
  risingDiagonal = 4,    // from lower left to upper right
  cross = 5,             // horizontal and vertical
  diagonalCross = 6,     // both diagonals
};

// Whether a box's interior is painted at all.
enum class InteriorMode { untouched, painted };

// How a box's interior is painted.
struct InteriorPaint {
  InteriorMode mode = InteriorMode::painted;  // untouched: only the outline
  FillPattern pattern = FillPattern::solid;   // solid, or the hatch kind
  ColorRef color = 0;                         // the fill (hatch line) colour
  ColorRef backColor = 0;                     // between hatch lines (opaque)
};

// The figure of a box: a rectangle whose corners are rounded by quarters of
// an ellipse. A corner ellipse as large as the box makes it an ellipse.
struct BoxFigure {
  PixelRect box;                  // ordered corners; right, bottom exclusive
  std::int64_t cornerWidth = 0;   // width of the corner ellipse, pixels (0 = square)
  std::int64_t cornerHeight = 0;  // height of the corner ellipse, pixels
};

// The row insets of the last box shape drawn (a surface's own cache).
struct InsetCache {
  static constexpr std::int64_t largestHeight = 1024;  // taller figures are not cached
  struct Shape {
    std::int64_t width = -1;  // box size and clamped corner ellipse, pixels
    std::int64_t height = -1;
    std::int64_t cornerWidth = -1;
    std::int64_t cornerHeight = -1;
    bool operator==(const Shape&) const = default;
  };
  Shape shape;                       // whose insets `insets` holds
  std::vector<std::int64_t> insets;  // per row from the top: columns left out on each side
};

class Surface {
 public:
  // A surface filled with `background`. Throws std::bad_alloc when the
  // pixels cannot be had; width and height must be positive.
  Surface(std::int32_t width, std::int32_t height, ColorRef background);

  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

  // --- Drawing (caller holds the DrawingLock) -----------------------------
  // Colours are cut to their 24 colour bits.

  // One pixel; ignored outside the surface.
  void SetPixel(PixelPoint point, ColorRef color);

  // A straight one-pixel line from `from` to `to`, `to` itself not painted.
  // A line of length zero paints nothing.
  void DrawLine(PixelPoint from, PixelPoint to, ColorRef color);

  // A block of pixels: `pixels` holds area's rows from the top, Width()
  // colours each; the part outside the surface is left out.
  void WritePixels(const PixelRect& area, const ColorRef* pixels);

  // A box with rounded corners (or an ellipse), outline and interior.
  // An empty box paints nothing.
  void DrawBox(const BoxFigure& figure, ColorRef outline, const InteriorPaint& interior);

  // The bounding box of the pixels that changed value since the last call;
  // empty when nothing changed. Starts over empty. (Caller holds the
  // DrawingLock.)
  PixelRect TakeChangedArea();

  // --- Reading (any thread) ------------------------------------------------

  // Calls read(x, y, firstPixel, count) for each row of `area` clipped to
  // the surface, (x, y) being the first pixel's position, while holding the
  // surface's lock; `read` must not block.
  template <typename RowReader>
  void ReadArea(PixelRect area, RowReader&& read) const {
    const PixelRect clipped = area.IntersectedWith(Bounds());
    if (clipped.IsEmpty()) return;
    std::lock_guard lock(mutex_);
    for (std::int32_t y = clipped.top; y < clipped.bottom; ++y) {
      read(clipped.left, y, &pixels_[Index(clipped.left, y)], clipped.Width());
    }
  }

  // All pixels, row by row.
  std::vector<ColorRef> CopyPixels() const;

  // One pixel (tests); 0 outside.
  ColorRef PixelAt(std::int32_t x, std::int32_t y) const;

  PixelRect Bounds() const { return {0, 0, width_, height_}; }

 private:
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }
  // Adds `area` to the changed area when `difference` shows a changed bit.
  void NoteChange(std::uint32_t difference, const PixelRect& area);
  // DrawLine's horizontal line, from `from` by dx columns (under mutex_).
  void DrawRowPart(PixelPoint from, std::int64_t dx, ColorRef color);

  const std::int32_t width_;     // pixels per row
  const std::int32_t height_;    // rows
  std::vector<ColorRef> pixels_;  // width_ * height_ colours, row by row
  PixelRect changedArea_;         // changed since the last TakeChangedArea
  InsetCache insetCache_;         // the last box shape's rows (under mutex_)
  mutable std::mutex mutex_;      // between drawing and painting
};

}  // namespace graphics
