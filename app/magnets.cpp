#include "app/magnets.h"

#include "app/model.h"
#include "graphics/drawing.h"
#include "runtime/numeric.h"

namespace app {

void DrawMagnetMarkers() {
  using runtime::Real;
  using runtime::ToSingle;
  const graphics::ColorRef outline = graphics::ComposeRgb(255, 255, 0);
  for (const Magnet& magnet : Magnets()) {
    const Real x = magnet.x;
    const Real y = magnet.y;
    graphics::DrawGraphicBox(ToSingle(x - 3), ToSingle(y - 3), ToSingle(x + 3), ToSingle(y + 3),
                             graphics::ellipseCorners, outline, magnetColors[magnet.index]);
  }
}

}  // namespace app
