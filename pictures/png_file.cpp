// What every build's pictures share: the rows of a surface, and the texts
// a reader found.
#include "pictures/png_file.h"

#include <algorithm>

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

std::optional<std::string> PngReader::Text(const std::string& key) const {
  for (const PngText& text : texts_) {
    if (text.key == key) return text.value;
  }
  return std::nullopt;
}

}  // namespace pictures
