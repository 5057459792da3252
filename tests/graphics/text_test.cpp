// The built-in font's text on tiny surfaces, pixel for pixel.
#include "graphics/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace graphics {
namespace {

constexpr ColorRef ink = 0x00000000;
constexpr ColorRef paper = 0x00FFFFFF;
constexpr ColorRef untouched = 0x00123456;

// The surface's rows as text: '#' ink, '.' paper, ' ' untouched.
std::vector<std::string> Rows(const Surface& surface) {
  std::vector<std::string> rows;
  for (std::int32_t y = 0; y < surface.Height(); ++y) {
    std::string row;
    for (std::int32_t x = 0; x < surface.Width(); ++x) {
      const ColorRef pixel = surface.PixelAt(x, y);
      row += pixel == ink ? '#' : pixel == paper ? '.' : ' ';
    }
    rows.push_back(row);
  }
  return rows;
}

// The glyphs as the font's source draws them (6 x 13, rows from the top).
const std::vector<std::string> glyphA = {"......", "......", "..#...", ".#.#..", "#...#.", "#...#.", "#...#.",
                                         "#####.", "#...#.", "#...#.", "#...#.", "......", "......"};
const std::vector<std::string> glyphQuestion = {"......", "......", ".###..", "#...#.", "#...#.", "....#.", "...#..",
                                                "..#...", "..#...", "......", "..#...", "......", "......"};

struct TextCase {
  const char* what;
  std::int32_t width;          // of the surface
  PixelPoint at;               // where the text starts
  std::string text;
  std::vector<std::string> rows;  // the surface afterwards, 13 rows
};

std::vector<TextCase> TextCases() {
  std::vector<TextCase> cases;
  cases.push_back({"one character", 6, {0, 0}, "A", glyphA});
  cases.push_back({"a byte outside ASCII is a question mark", 6, {0, 0}, "\xE9", glyphQuestion});
  // Two cells side by side, the first cut by the left edge.
  TextCase cut{"cut at both edges", 8, {-3, 0}, "AA?", {}};
  for (int row = 0; row < glyphHeight; ++row) {
    cut.rows.push_back(glyphA[row].substr(3) + glyphA[row].substr(0, 5));
  }
  cases.push_back(cut);
  TextCase space{"a space is paper, the rest untouched", 8, {1, 0}, " ", {}};
  for (int row = 0; row < glyphHeight; ++row) space.rows.push_back(" ...... ");
  cases.push_back(space);
  return cases;
}

TEST(TextTest, GlyphsArePaintedAsTheFontDrawsThem) {
  for (const TextCase& c : TextCases()) {
    Surface surface(c.width, glyphHeight, untouched);
    DrawText(surface, c.at, c.text, ink, paper);
    EXPECT_EQ(Rows(surface), c.rows) << c.what;
  }
  EXPECT_EQ(TextWidth("done in 1.00 s"), 14 * glyphWidth);
}

TEST(TextTest, TextOutsideTheSurfaceChangesNothing) {
  Surface surface(12, 20, untouched);
  for (const PixelPoint at : {PixelPoint{0, -13}, PixelPoint{0, 20}, PixelPoint{12, 0}, PixelPoint{-12, 0},
                              PixelPoint{-2147483647, 0}, PixelPoint{2147483647 - 5, 2147483647 - 5}}) {
    DrawText(surface, at, "AB", ink, paper);
  }
  EXPECT_TRUE(surface.TakeChangedArea().IsEmpty());
  DrawText(surface, {0, 10}, "AB", ink, paper);  // the top rows of two cells
  EXPECT_EQ(surface.TakeChangedArea().Height(), 10);
}

}  // namespace
}  // namespace graphics
