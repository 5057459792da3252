#include <algorithm>

#include "pictures/png_file.h"

namespace pictures {

RowSource SurfaceRows(const graphics::Surface& surface, std::int32_t firstRow) {
  return [&surface, firstRow](std::int32_t y, std::span<graphics::ColorRef> row) {
    const std::int32_t surfaceRow = firstRow + y;
    surface.ReadArea({0, surfaceRow, surface.Width(), surfaceRow + 1},
                     [&](std::int32_t, std::int32_t, const graphics::ColorRef* pixels, std::int32_t count) {
                       std::copy(pixels, pixels + count, row.begin());
                     });
    return true;
  };
}

}  // namespace pictures
