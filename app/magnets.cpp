#include "app/magnets.h"

#include "graphics/drawing.h"
#include "runtime/numeric.h"

namespace app {

void DrawMagnetMarkers() {
  static const std::vector<MagnetPlace> formMagnets = DefaultMagnetPlaces();
  DrawMagnetMarkers(formMagnets);
}

void DrawMagnetMarkers(std::span<const MagnetPlace> magnets) {
  using runtime::Real;
  using runtime::ToSingle;
  for (std::size_t k = 0; k < magnets.size(); ++k) {
    const Real x = magnets[k].x;
    const Real y = magnets[k].y;
    const double reach = windowMarkerReach;
    graphics::DrawGraphicBox(ToSingle(x - reach), ToSingle(y - reach), ToSingle(x + reach), ToSingle(y + reach),
                             graphics::ellipseCorners, markerOutline, magnetColors[k + 1]);
  }
}

void PaintMarkers(const StartGrid& grid, std::span<const MagnetPlace> magnets, const PaintPoint& paint) {
  constexpr int outer = markerRadius * markerRadius;
  constexpr int inner = (markerRadius - 1) * (markerRadius - 1);
  for (std::size_t k = 0; k < magnets.size(); ++k) {
    const std::int64_t column = grid.NearestColumn(magnets[k].x);
    const std::int64_t row = grid.NearestRow(magnets[k].y);
    for (int dy = -markerRadius; dy <= markerRadius; ++dy) {
      for (int dx = -markerRadius; dx <= markerRadius; ++dx) {
        const int square = dx * dx + dy * dy;
        const std::int64_t x = column + dx;
        const std::int64_t y = row + dy;
        if (square > outer || x < 0 || y < 0 || x >= grid.Width() || y >= grid.Height()) continue;
        paint(static_cast<int>(x), static_cast<int>(y), square > inner ? markerOutline : magnetColors[k + 1]);
      }
    }
  }
}

}  // namespace app
