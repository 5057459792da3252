// The world-to-pixel scale of a drawing area.
//
// A scale maps a user rectangle onto the whole drawing area. Its origins and
// factors are kept as 32-bit floats; a coordinate is converted in extended
// precision exactly as the operation received it (extended for lines,
// pixels and positions, a 32-bit float widened for boxes) and rounded to the
// nearest pixel, halves to the even neighbour. Without a scale, user
// coordinates are pixel coordinates (still rounded half to even).
//
// Example, the program's scale (-200, 150)-(200, -150) on 800 x 600: both
// factors are 2 and y grows upwards, so (0, 0) is pixel (400, 300) and the
// corners are (0, 0) and (800, 600), one past the last column and row.
#pragma once

#include "graphics/surface.h"
#include "graphics/window_record.h"
#include "runtime/numeric.h"

namespace graphics {

// Sets the area's scale (and its flip flags) from two corners; ignored when
// x1 == x2 or y1 == y2. Caller holds the DrawingLock.
void ApplyGraphicScale(WindowRecord& area, float x1, float y1, float x2, float y2);

// The pixel of user point (x, y). A result outside the 32-bit range (or
// from a NaN) is -2147483648 before the flip; flips wrap around.
PixelPoint ToPixel(const WindowRecord& area, runtime::Real x, runtime::Real y);

}  // namespace graphics
