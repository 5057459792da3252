#include "graphics/scale.h"

#include <cstdint>

namespace graphics {

namespace {

// width - pixel in 32-bit two's complement: far-off points stay far off
// instead of overflowing.
std::int32_t Flipped(std::int32_t extent, std::int32_t pixel) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(extent) -
                                   static_cast<std::uint32_t>(pixel));
}

struct AxisScale {
  float origin;
  float factor;
  bool flipped;
};

// One axis: the smaller value is the origin; the factor is pixels per unit.
AxisScale ScaleAxis(float first, float second, std::int32_t extent) {
  const bool flipped = !(first < second);
  const float smaller = flipped ? second : first;
  const float larger = flipped ? first : second;
  const runtime::Real factor =
      static_cast<runtime::Real>(extent) / (runtime::Real{larger} - runtime::Real{smaller});
  return {smaller, runtime::ToSingle(factor), flipped};
}

}  // namespace

void ApplyGraphicScale(WindowRecord& area, float x1, float y1, float x2, float y2) {
  if (x1 == x2 || y1 == y2) return;  // a degenerate rectangle keeps the earlier scale
  const AxisScale x = ScaleAxis(x1, x2, area.width);
  const AxisScale y = ScaleAxis(y1, y2, area.height);
  area.ClearFlag(windowFlag::flipX | windowFlag::flipY);
  if (x.flipped) area.SetFlag(windowFlag::flipX);
  if (y.flipped) area.SetFlag(windowFlag::flipY);
  area.scaleOriginX = x.origin;
  area.scaleFactorX = x.factor;
  area.scaleOriginY = y.origin;
  area.scaleFactorY = y.factor;
}

PixelPoint ToPixel(const WindowRecord& area, runtime::Real x, runtime::Real y) {
  if (area.scaleFactorY == 0) return {runtime::RoundToInt32(x), runtime::RoundToInt32(y)};
  const runtime::Real scaledX = (x - runtime::Real{area.scaleOriginX}) * runtime::Real{area.scaleFactorX};
  const runtime::Real scaledY = (y - runtime::Real{area.scaleOriginY}) * runtime::Real{area.scaleFactorY};
  PixelPoint pixel{runtime::RoundToInt32(scaledX), runtime::RoundToInt32(scaledY)};
  const std::uint32_t flags = area.flags.load();
  if (flags & windowFlag::flipX) pixel.x = Flipped(area.width, pixel.x);
  if (flags & windowFlag::flipY) pixel.y = Flipped(area.height, pixel.y);
  return pixel;
}

}  // namespace graphics
