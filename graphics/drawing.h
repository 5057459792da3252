// The drawing operations on the calling thread's current target (see
// graphic_window.h). Each one takes the DrawingLock, converts its user
// coordinates with the area's scale, draws on the surface and brings the
// screen up to date in batches. Without a target, or after its window was
// destroyed, an operation does nothing and reports nothing.
//
// Colours: UseForeground (-1) stands for the area's foreground colour;
// every other value is taken as a colour and cut to its 24 colour bits.
#pragma once

#include <cstdint>

#include "graphics/color.h"
#include "graphics/surface.h"
#include "runtime/numeric.h"

namespace graphics {

// The current position becomes the pixel of (x, y). Changes nothing visible.
void SetGraphicPosition(runtime::Real x, runtime::Real y);

// A line from the current position to (x, y), which becomes the current
// position. The end pixel itself is not painted, so lines that continue one
// another paint each joint once.
void DrawGraphicLine(runtime::Real x, runtime::Real y, ColorRef color);

// One pixel at (x, y), which becomes the current position; a pixel outside
// the surface is ignored (but still counts as drawing).
void SetGraphicPixel(runtime::Real x, runtime::Real y, ColorRef color);

// A box with rounded corners, or an ellipse, in the rectangle with corners
// (x1, y1) and (x2, y2), given in either order. The figure covers the pixel
// columns from the smaller to one before the larger x, and likewise rows.
//   cornerPercent: NoCorner for an ellipse filling the box; otherwise the
//     corner ellipse measures that percentage of the shorter side (0 square
//     corners, 100 half circles); a value above 100, read unsigned (so any
//     negative one too), acts as 100.
//   outlineColor: UseForeground or a colour, cut to 24 bits (so NoFill here
//     is the colour 0x00FFFFFE).
//   fillColor: NoFill leaves the interior untouched; UseForeground fills
//     with the outline colour.
//   fillStyle: 0 solid; 1 horizontal, 2 vertical, 3 falling diagonal,
//     4 rising diagonal, 5 cross, 6 diagonal cross hatch, with the area's
//     background colour between the lines; a value above 6, read unsigned,
//     acts as 0.
// The current position is not changed.
void DrawGraphicBox(float x1, float y1, float x2, float y2, std::int32_t cornerPercent,
                    ColorRef outlineColor, ColorRef fillColor, std::int32_t fillStyle);

// Copies a block of pixels onto the current target at pixel positions (the
// scale does not apply): `pixels` holds area's rows from the top, each
// area.Width() colours long; what lies outside the drawing area is left out.
// The current position is not changed.
void DrawGraphicPixels(const PixelRect& area, const ColorRef* pixels);

}  // namespace graphics
