// The three magnets as the runs show them: their colours, shared by their
// markers and by the start-point map, and the markers themselves.
#pragma once

#include <array>

#include "graphics/color.h"

namespace app {

// Entry k is the colour of magnet k: 1 red, 2 green (0, 191, 0), 3 blue.
// Entry 0 (no magnet) is black and never drawn.
inline constexpr std::array<graphics::ColorRef, 4> magnetColors{
    graphics::ComposeRgb(0, 0, 0), graphics::ComposeRgb(255, 0, 0), graphics::ComposeRgb(0, 191, 0),
    graphics::ComposeRgb(0, 0, 255)};

// Draws the three magnet markers: each the ellipse in the box of 3 units
// around the magnet, yellow outline, filled with the magnet's colour, in the
// order magnet 1, 2, 3. The runs draw them right before every model step, so
// they stay on top of whatever the runs paint.
void DrawMagnetMarkers();

}  // namespace app
