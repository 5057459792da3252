#include "app/magnets.h"

#include "app/model.h"
#include "graphics/drawing.h"
#include "runtime/numeric.h"

namespace app {

std::array<graphics::ColorRef, 4> magnetColors{};

void CreateMagnetColors() {
  magnetColors = {};
  magnetColors[1] = graphics::ComposeRgb(255, 0, 0);
  magnetColors[2] = graphics::ComposeRgb(0, 191, 0);
  magnetColors[3] = graphics::ComposeRgb(0, 0, 255);
}

void DrawMagnetMarkers() {
  using runtime::Real;
  using runtime::ToSingle;
  const graphics::ColorRef outline = graphics::ComposeRgb(255, 255, 0);
  for (const Magnet& magnet : Magnets()) {
    const Real x = magnet.x;
    const Real y = magnet.y;
    graphics::DrawGraphicBox(ToSingle(x - 3), ToSingle(y - 3), ToSingle(x + 3), ToSingle(y + 3),
                             graphics::NoCorner, outline, magnetColors[magnet.index], 0);
  }
}

}  // namespace app
