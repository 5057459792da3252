// Text in a surface's own pixels, drawn with the font built into the
// program: X11's misc-fixed 6x13 (public domain, graphics/font/LICENSE), so
// a line of text is the same pixels on every platform and a test can draw
// the text it expects and compare whole pictures.
//
// Every character is a cell of glyphWidth x glyphHeight pixels; the font
// holds printable ASCII (32-126), and any other byte is drawn as '?'.
#pragma once

#include <cstdint>
#include <string_view>

#include "graphics/color.h"
#include "graphics/surface.h"

namespace graphics {

inline constexpr std::int32_t glyphWidth = 6;    // pixels, every character
inline constexpr std::int32_t glyphHeight = 13;  // pixels, the line's height

// The width of `text` in pixels.
std::int32_t TextWidth(std::string_view text);

// Draws `text` from `topLeft` (its first cell's top left pixel) to the
// right: `ink` where a glyph has a pixel, `paper` everywhere else in the
// cells, so what lay there before is covered. Clipped to the surface.
// (Caller holds the DrawingLock, as for every surface drawing.)
void DrawText(Surface& surface, PixelPoint topLeft, std::string_view text, ColorRef ink, ColorRef paper);

}  // namespace graphics
