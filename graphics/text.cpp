#include "graphics/text.h"

#include <algorithm>
#include <vector>

namespace graphics {

namespace {

constexpr char firstCharacter = ' ';
constexpr char lastCharacter = '~';

// The glyphs' rows from the top, glyphHeight bytes per character; in each
// byte the leftmost column is the highest bit.
constexpr std::uint8_t glyphRows[] = {
#include "graphics/font/fixed_6x13.inc"
};
static_assert(sizeof glyphRows == (lastCharacter - firstCharacter + 1) * glyphHeight);

const std::uint8_t* GlyphOf(char character) {
  const char shown = character >= firstCharacter && character <= lastCharacter ? character : '?';
  return &glyphRows[static_cast<std::size_t>(shown - firstCharacter) * glyphHeight];
}

}  // namespace

std::int32_t TextWidth(std::string_view text) { return static_cast<std::int32_t>(text.size()) * glyphWidth; }

void DrawText(Surface& surface, PixelPoint topLeft, std::string_view text, ColorRef ink, ColorRef paper) {
  // Only the characters that reach into the surface are set up.
  const std::int64_t skipped = topLeft.x < 0 ? -std::int64_t{topLeft.x} / glyphWidth : 0;
  const std::int64_t room = (std::int64_t{surface.Width()} - topLeft.x + glyphWidth - 1) / glyphWidth;
  const std::int64_t end = std::min<std::int64_t>(static_cast<std::int64_t>(text.size()), room);
  if (end <= skipped || topLeft.y >= surface.Height() || std::int64_t{topLeft.y} + glyphHeight <= 0) return;
  const std::string_view shown = text.substr(static_cast<std::size_t>(skipped), static_cast<std::size_t>(end - skipped));
  const std::int32_t left = topLeft.x + static_cast<std::int32_t>(skipped) * glyphWidth;
  const std::int32_t width = TextWidth(shown);
  std::vector<ColorRef> pixels(static_cast<std::size_t>(width) * glyphHeight);
  for (std::size_t cell = 0; cell < shown.size(); ++cell) {
    const std::uint8_t* rows = GlyphOf(shown[cell]);
    for (std::int32_t row = 0; row < glyphHeight; ++row) {
      ColorRef* pixel = &pixels[static_cast<std::size_t>(row) * width + cell * glyphWidth];
      for (std::int32_t column = 0; column < glyphWidth; ++column) {
        pixel[column] = (rows[row] & (0x80 >> column)) != 0 ? ink : paper;
      }
    }
  }
  surface.WritePixels({left, topLeft.y, left + width, topLeft.y + glyphHeight}, pixels.data());
}

}  // namespace graphics
