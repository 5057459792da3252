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
#include <string_view>

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

// The corners of a box: an ellipse that fills the box, or corners rounded
// by a corner ellipse that measures `percent` of the box's shorter side
// (0 square corners, 100 half circles; values outside 0-100 are clamped).
struct BoxCorners {
  enum class Shape { ellipse, rounded };
  Shape shape = Shape::rounded;
  std::int32_t percent = 0;  // rounded only
};
inline constexpr BoxCorners ellipseCorners{BoxCorners::Shape::ellipse, 0};
inline constexpr BoxCorners squareCorners{BoxCorners::Shape::rounded, 0};
constexpr BoxCorners RoundedCorners(std::int32_t percent) { return {BoxCorners::Shape::rounded, percent}; }

// A box with those corners in the rectangle with corners (x1, y1) and
// (x2, y2), given in either order. The figure covers the pixel columns from
// the smaller to one before the larger x, and likewise rows.
//   outlineColor: UseForeground or a colour, cut to 24 bits (so NoFill here
//     is the colour 0x00FFFFFE).
//   fillColor: NoFill leaves the interior untouched; UseForeground fills
//     with the outline colour.
//   pattern: solid, or a hatch with the area's background colour between
//     the lines.
// The current position is not changed.
void DrawGraphicBox(float x1, float y1, float x2, float y2, BoxCorners corners, ColorRef outlineColor,
                    ColorRef fillColor, FillPattern pattern = FillPattern::solid);

// Copies a block of pixels onto the current target at pixel positions (the
// scale does not apply): `pixels` holds area's rows from the top, each
// area.Width() colours long; what lies outside the drawing area is left out.
// The current position is not changed.
void DrawGraphicPixels(const PixelRect& area, const ColorRef* pixels);

// A line of text in the built-in font (graphics/text.h) from the pixel
// position `topLeft` (the scale does not apply): ink on opaque paper, each
// character a cell of glyphWidth x glyphHeight pixels. The current position
// is not changed.
void DrawGraphicText(PixelPoint topLeft, std::string_view text, ColorRef ink, ColorRef paper);

}  // namespace graphics
