#include "graphics/surface.h"

#include <algorithm>
#include <cmath>

namespace graphics {

PixelRect PixelRect::UnitedWith(const PixelRect& other) const {
  if (other.IsEmpty()) return *this;
  if (IsEmpty()) return other;
  return {std::min(left, other.left), std::min(top, other.top),
          std::max(right, other.right), std::max(bottom, other.bottom)};
}

PixelRect PixelRect::IntersectedWith(const PixelRect& other) const {
  return {std::max(left, other.left), std::max(top, other.top),
          std::min(right, other.right), std::min(bottom, other.bottom)};
}

namespace {

// Columns [begin, end) of one row, in 64 bits because figures may reach far
// beyond the 32-bit pixel range once their size is taken. {0, 0} is the
// empty span: combining it by max/min with any other span stays empty.
struct Span {
  std::int64_t begin = 0;
  std::int64_t end = 0;
  bool IsEmpty() const { return end <= begin; }
};

// Which columns each row of a rounded box covers. A row covers the pixels
// whose centres lie inside the figure; the inset is the same on both sides
// and the rows are computed from the nearer edge, so every figure is exactly
// symmetric left to right and top to bottom.
class RoundedBoxRows {
 public:
  explicit RoundedBoxRows(const BoxFigure& figure)
      : left_(figure.box.left),
        top_(figure.box.top),
        width_(std::int64_t{figure.box.right} - figure.box.left),
        height_(std::int64_t{figure.box.bottom} - figure.box.top),
        cornerWidth_(std::clamp<std::int64_t>(figure.cornerWidth, 0, width_)),
        cornerHeight_(std::clamp<std::int64_t>(figure.cornerHeight, 0, height_)),
        radiusX_(static_cast<double>(cornerWidth_) / 2),
        radiusY_(static_cast<double>(cornerHeight_) / 2) {}

  Span Row(std::int64_t y) const {
    const std::int64_t local = y - top_;
    if (local < 0 || local >= height_) return {};
    const std::int64_t inset = insets_ != nullptr ? insets_[local] : Inset(local);
    return {left_ + inset, left_ + width_ - inset};
  }

  // Uses (and if need be fills) `cache` for the insets of every row, when
  // the figure is small enough: the same shape drawn again, as markers are,
  // then costs no arithmetic at all.
  void UseInsetCache(InsetCache& cache) {
    if (height_ > InsetCache::largestHeight) return;
    const InsetCache::Shape shape{width_, height_, cornerWidth_, cornerHeight_};
    if (!(cache.shape == shape)) {
      cache.insets.resize(static_cast<std::size_t>(height_));
      for (std::int64_t local = 0; local < height_; ++local) {
        cache.insets[static_cast<std::size_t>(local)] = Inset(local);
      }
      cache.shape = shape;
    }
    insets_ = cache.insets.data();
  }

 private:
  // How far the figure stays in from its left (and right) edge in row
  // `local` (counted from the figure's top).
  std::int64_t Inset(std::int64_t local) const {
    const double centre = static_cast<double>(local) + 0.5;
    double distance = 0;  // from the row to the corner ellipses' centre line
    if (centre < radiusY_) {
      distance = radiusY_ - centre;
    } else if (centre > static_cast<double>(height_) - radiusY_) {
      distance = centre - (static_cast<double>(height_) - radiusY_);
    }
    if (distance <= 0) return 0;
    const double ratio = distance / radiusY_;
    const double halfChord = radiusX_ * std::sqrt(1.0 - ratio * ratio);
    // A pixel is inside when its centre (x + 0.5) lies within the arc.
    return std::max<std::int64_t>(0, static_cast<std::int64_t>(std::ceil(radiusX_ - halfChord - 0.5)));
  }

  std::int64_t left_;
  std::int64_t top_;
  std::int64_t width_;
  std::int64_t height_;
  std::int64_t cornerWidth_;   // clamped to the box
  std::int64_t cornerHeight_;
  double radiusX_;  // of the corner ellipse, pixels
  double radiusY_;
  const std::int64_t* insets_ = nullptr;  // cached insets, one per row
};

// Writes `color` into row[begin, end) and reports which bits changed.
std::uint32_t FillSpan(ColorRef* row, Span span, ColorRef color) {
  std::uint32_t difference = 0;
  for (std::int64_t x = span.begin; x < span.end; ++x) {
    difference |= row[x] ^ color;
    row[x] = color;
  }
  return difference;
}

bool IsHatchLine(FillPattern pattern, std::int64_t x, std::int64_t y) {
  const bool horizontal = (y & 7) == 0;
  const bool vertical = (x & 7) == 0;
  const bool falling = ((x - y) & 7) == 0;
  const bool rising = ((x + y) & 7) == 0;
  switch (pattern) {
    case FillPattern::solid: return true;
    case FillPattern::horizontal: return horizontal;
    case FillPattern::vertical: return vertical;
    case FillPattern::fallingDiagonal: return falling;
    case FillPattern::risingDiagonal: return rising;
    case FillPattern::cross: return horizontal || vertical;
    case FillPattern::diagonalCross: return falling || rising;
  }
  return true;
}

std::uint32_t PaintInterior(ColorRef* row, std::int64_t y, Span span, const InteriorPaint& interior) {
  const ColorRef fill = interior.color & colorBits;
  if (interior.pattern == FillPattern::solid) return FillSpan(row, span, fill);
  const ColorRef back = interior.backColor & colorBits;
  std::uint32_t difference = 0;
  for (std::int64_t x = span.begin; x < span.end; ++x) {
    const ColorRef color = IsHatchLine(interior.pattern, x, y) ? fill : back;
    difference |= row[x] ^ color;
    row[x] = color;
  }
  return difference;
}

// numerator / denominator rounded to the nearest integer, halves towards
// zero, so a line leaves its start pixel's row (or column) as late as its
// end's and is the same drawn in either direction; denominator > 0.
std::int64_t RoundedQuotient(__int128 numerator, std::int64_t denominator) {
  const __int128 magnitude = numerator < 0 ? -numerator : numerator;
  const __int128 rounded = (2 * magnitude + denominator - 1) / (2 * static_cast<__int128>(denominator));
  return static_cast<std::int64_t>(numerator < 0 ? -rounded : rounded);
}

PixelRect RectOf(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
}

}  // namespace

Surface::Surface(std::int32_t width, std::int32_t height, ColorRef background)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
              background & colorBits) {}

void Surface::NoteChange(std::uint32_t difference, const PixelRect& area) {
  if (difference != 0) changedArea_ = changedArea_.UnitedWith(area);
}

void Surface::SetPixel(PixelPoint point, ColorRef color) {
  if (point.x < 0 || point.x >= width_ || point.y < 0 || point.y >= height_) return;
  color &= colorBits;
  std::lock_guard lock(mutex_);
  ColorRef& pixel = pixels_[Index(point.x, point.y)];
  const std::uint32_t difference = pixel ^ color;
  pixel = color;
  NoteChange(difference, {point.x, point.y, point.x + 1, point.y + 1});
}

void Surface::WritePixels(const PixelRect& area, const ColorRef* pixels) {
  const PixelRect visible = area.IntersectedWith(Bounds());
  if (visible.IsEmpty()) return;
  std::lock_guard lock(mutex_);
  std::uint32_t difference = 0;
  for (std::int32_t y = visible.top; y < visible.bottom; ++y) {
    const ColorRef* source = pixels + static_cast<std::size_t>(y - area.top) * static_cast<std::size_t>(area.Width()) +
                             static_cast<std::size_t>(visible.left - area.left);
    ColorRef* target = &pixels_[Index(visible.left, y)];
    for (std::int32_t x = 0; x < visible.Width(); ++x) {
      const ColorRef color = source[x] & colorBits;
      difference |= target[x] ^ color;
      target[x] = color;
    }
  }
  NoteChange(difference, visible);
}

namespace {

// A line from `from` by (dx, dy) walked along its longer axis, one pixel a
// step: at step t the major coordinate is majorStart + t majorDirection and
// the minor one the rounded exact position, so no error accumulates.
struct LineWalk {
  bool alongX;
  std::int64_t steps;
  std::int64_t majorStart, majorDirection, majorLimit;
  std::int64_t minorStart, minorDelta, minorLimit;

  LineWalk(PixelPoint from, std::int64_t dx, std::int64_t dy, std::int64_t width, std::int64_t height)
      : alongX(std::llabs(dx) >= std::llabs(dy)),
        steps(alongX ? std::llabs(dx) : std::llabs(dy)),
        majorStart(alongX ? from.x : from.y),
        majorDirection((alongX ? dx : dy) > 0 ? 1 : -1),
        majorLimit(alongX ? width : height),
        minorStart(alongX ? from.y : from.x),
        minorDelta(alongX ? dy : dx),
        minorLimit(alongX ? height : width) {}

  // The first and last steps of [0, steps) whose major coordinate lies in
  // [0, majorLimit): only those are visited.
  std::int64_t FirstStepInside() const {
    return std::max<std::int64_t>(0, majorDirection > 0 ? -majorStart : majorStart - (majorLimit - 1));
  }
  std::int64_t LastStepInside() const {
    return std::min(steps - 1, majorDirection > 0 ? majorLimit - 1 - majorStart : majorStart);
  }
  std::int64_t Major(std::int64_t step) const { return majorStart + majorDirection * step; }
  std::int64_t Minor(std::int64_t step) const {
    return minorStart + RoundedQuotient(static_cast<__int128>(step) * minorDelta, steps);
  }
};

}  // namespace

void Surface::DrawLine(PixelPoint from, PixelPoint to, ColorRef color) {
  const std::int64_t dx = std::int64_t{to.x} - from.x;
  const std::int64_t dy = std::int64_t{to.y} - from.y;
  if (dx == 0 && dy == 0) return;
  color &= colorBits;
  std::lock_guard lock(mutex_);
  if (dy == 0) {
    DrawRowPart(from, dx, color);
    return;
  }
  const LineWalk walk(from, dx, dy, width_, height_);
  std::uint32_t difference = 0;
  std::int64_t minX = width_, minY = height_, maxX = -1, maxY = -1;
  for (std::int64_t step = walk.FirstStepInside(); step <= walk.LastStepInside(); ++step) {
    const std::int64_t major = walk.Major(step);
    const std::int64_t minor = walk.Minor(step);
    if (minor < 0 || minor >= walk.minorLimit) continue;
    const std::int64_t x = walk.alongX ? major : minor;
    const std::int64_t y = walk.alongX ? minor : major;
    ColorRef& pixel = pixels_[Index(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y))];
    difference |= pixel ^ color;
    pixel = color;
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
  if (maxX >= 0) NoteChange(difference, RectOf(minX, minY, maxX + 1, maxY + 1));
}

void Surface::DrawRowPart(PixelPoint from, std::int64_t dx, ColorRef color) {
  // One span, the end column left out.
  if (from.y < 0 || from.y >= height_) return;
  const std::int64_t toX = std::int64_t{from.x} + dx;
  Span span = dx > 0 ? Span{from.x, toX} : Span{toX + 1, std::int64_t{from.x} + 1};
  span = {std::max<std::int64_t>(span.begin, 0), std::min<std::int64_t>(span.end, width_)};
  if (span.IsEmpty()) return;
  const std::uint32_t difference = FillSpan(&pixels_[Index(0, from.y)], span, color);
  NoteChange(difference, RectOf(span.begin, from.y, span.end, std::int64_t{from.y} + 1));
}

void Surface::DrawBox(const BoxFigure& figure, ColorRef outline, const InteriorPaint& interior) {
  const PixelRect& box = figure.box;
  if (box.IsEmpty()) return;
  const PixelRect visible = box.IntersectedWith(Bounds());
  if (visible.IsEmpty()) return;
  outline &= colorBits;
  RoundedBoxRows rows(figure);
  const auto clip = [this](Span span) {
    return Span{std::max<std::int64_t>(span.begin, 0), std::min<std::int64_t>(span.end, width_)};
  };

  std::lock_guard lock(mutex_);
  rows.UseInsetCache(insetCache_);
  std::uint32_t difference = 0;
  Span above = rows.Row(std::int64_t{visible.top} - 1);
  Span current = rows.Row(visible.top);
  for (std::int32_t y = visible.top; y < visible.bottom; ++y) {
    const Span below = rows.Row(std::int64_t{y} + 1);
    // Interior: the pixels whose four neighbours all belong to the figure.
    const Span inner{std::max({above.begin, current.begin + 1, below.begin}),
                     std::min({above.end, current.end - 1, below.end})};
    ColorRef* row = &pixels_[Index(0, y)];
    if (inner.IsEmpty()) {
      difference |= FillSpan(row, clip(current), outline);
    } else {
      difference |= FillSpan(row, clip({current.begin, inner.begin}), outline);
      if (interior.mode == InteriorMode::painted) {
        difference |= PaintInterior(row, y, clip(inner), interior);
      }
      difference |= FillSpan(row, clip({inner.end, current.end}), outline);
    }
    above = current;
    current = below;
  }
  NoteChange(difference, visible);
}

PixelRect Surface::TakeChangedArea() {
  std::lock_guard lock(mutex_);
  const PixelRect area = changedArea_;
  changedArea_ = {};
  return area;
}

std::vector<ColorRef> Surface::CopyPixels() const {
  std::lock_guard lock(mutex_);
  return pixels_;
}

ColorRef Surface::PixelAt(std::int32_t x, std::int32_t y) const {
  if (x < 0 || x >= width_ || y < 0 || y >= height_) return 0;
  std::lock_guard lock(mutex_);
  return pixels_[Index(x, y)];
}

}  // namespace graphics
