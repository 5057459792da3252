// Colour values of the drawing windows: 0x00BBGGRR, red in the low byte.
#pragma once

#include <algorithm>
#include <cstdint>

namespace graphics {

// A colour: red in bits 0-7, green in 8-15, blue in 16-23, top byte zero.
// Pure red is 0x000000FF, pure blue 0x00FF0000.
using ColorRef = std::uint32_t;

// As a line, pixel or outline colour: the drawing area's foreground colour.
// As the fill colour of a box: the same colour as the outline.
constexpr ColorRef UseForeground = 0xFFFFFFFF;  // -1

// As the fill colour of a box: the interior is left untouched.
constexpr ColorRef NoFill = 0xFFFFFFFE;  // -2

// The bits of a colour that a surface pixel can hold.
constexpr ColorRef colorBits = 0x00FFFFFF;

// The desktop colours every window starts with: the classic dialog face
// (light grey, the background of a new surface and between hatch lines) and
// the classic window text (black, the foreground).
constexpr ColorRef dialogFaceColor = 0x00F0F0F0;  // (240, 240, 240)
constexpr ColorRef windowTextColor = 0x00000000;  // (0, 0, 0)

// red + green * 256 + blue * 65536, each component clamped to 0-255 first.
constexpr ColorRef ComposeRgb(int red, int green, int blue) {
  const auto component = [](int value) { return static_cast<ColorRef>(std::clamp(value, 0, 255)); };
  return component(red) + component(green) * 256 + component(blue) * 65536;
}

// The components of a colour (for backends that convert pixels).
constexpr std::uint32_t RedOf(ColorRef color) { return color & 0xFF; }
constexpr std::uint32_t GreenOf(ColorRef color) { return (color >> 8) & 0xFF; }
constexpr std::uint32_t BlueOf(ColorRef color) { return (color >> 16) & 0xFF; }

}  // namespace graphics
