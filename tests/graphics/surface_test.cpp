// Pixel-exact tests of the rasteriser on tiny surfaces. Pictures are drawn
// as text: one character per pixel, '.' for the background.
#include "graphics/surface.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

namespace graphics {
namespace {

constexpr ColorRef background = 0x00101010;
constexpr ColorRef outline = 0x000000AA;   // 'o'
constexpr ColorRef fill = 0x0000BB00;      // '#'
constexpr ColorRef hatchBack = 0x00CC0000; // '-'

std::vector<std::string> Picture(const Surface& surface) {
  const std::map<ColorRef, char> glyphs{{background, '.'}, {outline, 'o'}, {fill, '#'}, {hatchBack, '-'}};
  std::vector<std::string> rows;
  for (std::int32_t y = 0; y < surface.Height(); ++y) {
    std::string row;
    for (std::int32_t x = 0; x < surface.Width(); ++x) {
      const auto glyph = glyphs.find(surface.PixelAt(x, y));
      row += glyph == glyphs.end() ? '?' : glyph->second;
    }
    rows.push_back(row);
  }
  return rows;
}

InteriorPaint Solid(ColorRef color) { return {InteriorMode::painted, FillPattern::solid, color, hatchBack}; }

BoxFigure Ellipse(PixelRect box) {
  return {box, std::int64_t{box.right} - box.left + 1, std::int64_t{box.bottom} - box.top + 1};
}

TEST(SurfaceTest, NewSurfaceIsBackgroundAndUnchanged) {
  Surface surface(3, 2, background);
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{"...", "..."}));
  EXPECT_TRUE(surface.TakeChangedArea().IsEmpty());
}

TEST(SurfaceTest, CircleOfTwelveFillsItsBoxSymmetrically) {
  Surface surface(14, 14, background);
  surface.DrawBox(Ellipse({1, 1, 13, 13}), outline, Solid(fill));
  const std::vector<std::string> expected{
      "..............",
      ".....oooo.....",
      "...oo####oo...",
      "..o########o..",
      "..o########o..",
      ".o##########o.",
      ".o##########o.",
      ".o##########o.",
      ".o##########o.",
      "..o########o..",
      "..o########o..",
      "...oo####oo...",
      ".....oooo.....",
      "..............",
  };
  EXPECT_EQ(Picture(surface), expected);
  // Symmetric in both directions and about the diagonal: a true circle.
  const auto picture = Picture(surface);
  for (int y = 0; y < 14; ++y) {
    for (int x = 0; x < 14; ++x) {
      EXPECT_EQ(picture[y][x], picture[y][13 - x]);
      EXPECT_EQ(picture[y][x], picture[13 - y][x]);
      EXPECT_EQ(picture[y][x], picture[x][y]);
    }
  }
}

TEST(SurfaceTest, RectangleCoversRightAndBottomExclusive) {
  Surface surface(7, 6, background);
  surface.DrawBox({{1, 1, 6, 5}, 0, 0}, outline, Solid(fill));
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{
                                  ".......",
                                  ".ooooo.",
                                  ".o###o.",
                                  ".o###o.",
                                  ".ooooo.",
                                  ".......",
                              }));
}

TEST(SurfaceTest, FullCornersRoundTheShortSidesIntoHalfCircles) {
  Surface surface(12, 6, background);
  surface.DrawBox({{0, 0, 12, 6}, 6, 6}, outline, Solid(fill));
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{
                                  ".oooooooooo.",
                                  "o##########o",
                                  "o##########o",
                                  "o##########o",
                                  "o##########o",
                                  ".oooooooooo.",
                              }));
}

TEST(SurfaceTest, OutlineWithoutFillLeavesTheInteriorUntouched) {
  Surface surface(6, 5, background);
  surface.DrawBox({{0, 0, 6, 5}, 0, 0}, fill, Solid(fill));
  surface.DrawBox({{1, 1, 5, 4}, 0, 0}, outline, {InteriorMode::untouched});
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{
                                  "######",
                                  "#oooo#",
                                  "#o##o#",
                                  "#oooo#",
                                  "######",
                              }));
}

TEST(SurfaceTest, TinyAndEmptyBoxes) {
  Surface surface(4, 3, background);
  surface.DrawBox(Ellipse({1, 1, 1, 2}), outline, Solid(fill));  // no width
  surface.DrawBox(Ellipse({2, 2, 3, 2}), outline, Solid(fill));  // no height
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{"....", "....", "...."}));
  surface.DrawBox(Ellipse({1, 1, 2, 2}), outline, Solid(fill));  // one pixel: all outline
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{"....", ".o..", "...."}));
}

TEST(SurfaceTest, HatchesAlignToTheSurfaceWithBackColorBetween) {
  struct Case {
    FillPattern pattern;
    bool (*isLine)(int x, int y);
  };
  const Case cases[] = {
      {FillPattern::horizontal, [](int, int y) { return y % 8 == 0; }},
      {FillPattern::vertical, [](int x, int) { return x % 8 == 0; }},
      {FillPattern::fallingDiagonal, [](int x, int y) { return (x - y + 64) % 8 == 0; }},
      {FillPattern::risingDiagonal, [](int x, int y) { return (x + y) % 8 == 0; }},
      {FillPattern::cross, [](int x, int y) { return x % 8 == 0 || y % 8 == 0; }},
      {FillPattern::diagonalCross, [](int x, int y) { return (x - y + 64) % 8 == 0 || (x + y) % 8 == 0; }},
  };
  for (const Case& c : cases) {
    Surface surface(20, 20, background);
    surface.DrawBox({{2, 3, 19, 18}, 0, 0}, outline,
                    {InteriorMode::painted, c.pattern, fill, hatchBack});
    for (int y = 4; y < 17; ++y) {
      for (int x = 3; x < 18; ++x) {
        const ColorRef expected = c.isLine(x, y) ? fill : hatchBack;
        ASSERT_EQ(surface.PixelAt(x, y), expected)
            << "pattern " << static_cast<int>(c.pattern) << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(surface.PixelAt(2, 3), outline);
    EXPECT_EQ(surface.PixelAt(18, 17), outline);
    EXPECT_EQ(surface.PixelAt(19, 18), background);
  }
}

TEST(SurfaceTest, LinesLeaveOutTheirEndPixel) {
  Surface surface(6, 5, background);
  surface.DrawLine({0, 0}, {5, 0}, outline);  // horizontal, right
  surface.DrawLine({5, 1}, {0, 1}, fill);     // horizontal, left
  surface.DrawLine({0, 2}, {2, 4}, outline);  // diagonal
  surface.DrawLine({5, 4}, {5, 2}, fill);     // vertical, up
  surface.DrawLine({3, 3}, {3, 3}, outline);  // nothing
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{
                                  "ooooo.",
                                  ".#####",
                                  "o.....",
                                  ".o...#",
                                  ".....#",
                              }));
}

TEST(SurfaceTest, ShallowAndSteepLinesStepOnePixelPerRowOrColumn) {
  Surface surface(7, 7, background);
  surface.DrawLine({0, 0}, {6, 3}, outline);
  surface.DrawLine({0, 6}, {2, 0}, fill);
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{
                                  "oo.....",
                                  "..#o...",
                                  ".#..oo.",
                                  ".#.....",
                                  ".#.....",
                                  "#......",
                                  "#......",
                              }));
}

TEST(SurfaceTest, ContinuingLinesPaintTheirJointOnce) {
  // Each corner is the excluded end of one line and the start of the next,
  // so the closed path is complete without any pixel painted twice.
  Surface surface(6, 6, background);
  surface.DrawLine({1, 1}, {4, 1}, outline);
  surface.DrawLine({4, 1}, {4, 4}, outline);
  surface.DrawLine({4, 4}, {1, 4}, outline);
  surface.DrawLine({1, 4}, {1, 1}, outline);
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{
                                  "......",
                                  ".oooo.",
                                  ".o..o.",
                                  ".o..o.",
                                  ".oooo.",
                                  "......",
                              }));
}

TEST(SurfaceTest, FarOffFiguresAreClippedNotWalked) {
  Surface surface(5, 4, background);
  surface.DrawLine({INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, outline);
  surface.DrawLine({-1000000000, 2}, {1000000000, 2}, fill);
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{
                                  "o....",
                                  ".o...",
                                  "#####",
                                  "...o.",
                              }));
  surface.DrawBox({{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0, 0}, outline, Solid(fill));
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{"#####", "#####", "#####", "#####"}));
  surface.DrawBox(Ellipse({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}), outline, Solid(background));
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{".....", ".....", ".....", "....."}));
}

TEST(SurfaceTest, SetPixelIgnoresPixelsOutside) {
  Surface surface(3, 2, background);
  surface.SetPixel({2, 1}, outline);
  surface.SetPixel({3, 1}, fill);
  surface.SetPixel({-1, 0}, fill);
  surface.SetPixel({0, 2}, fill);
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{"...", "..o"}));
}

// A block of pixels lands row by row at its place; what lies outside is
// left out, and only what changed value counts as changed.
TEST(SurfaceTest, WritePixelsClipsTheBlockAndNotesOnlyChanges) {
  Surface surface(4, 3, background);
  const ColorRef o = outline, f = fill, b = background;
  const std::vector<ColorRef> block{o, f, b, f, o, b};  // 3 x 2, from (2, -1)
  surface.WritePixels({2, -1, 5, 1}, block.data());
  EXPECT_EQ(Picture(surface), (std::vector<std::string>{"..#o", "....", "...."}));
  const PixelRect changed = surface.TakeChangedArea();
  EXPECT_EQ(changed.left, 2);
  EXPECT_EQ(changed.top, 0);
  EXPECT_EQ(changed.right, 4);
  EXPECT_EQ(changed.bottom, 1);
  surface.WritePixels({2, -1, 5, 1}, block.data());
  EXPECT_TRUE(surface.TakeChangedArea().IsEmpty());
}

TEST(SurfaceTest, ChangedAreaCoversOnlyPixelsThatChangedValue) {
  Surface surface(20, 20, background);
  surface.DrawBox(Ellipse({2, 3, 14, 15}), outline, Solid(fill));
  const PixelRect first = surface.TakeChangedArea();
  EXPECT_EQ(first.left, 2);
  EXPECT_EQ(first.top, 3);
  EXPECT_EQ(first.right, 14);
  EXPECT_EQ(first.bottom, 15);
  EXPECT_TRUE(surface.TakeChangedArea().IsEmpty());

  // The same figure over itself changes nothing.
  surface.DrawBox(Ellipse({2, 3, 14, 15}), outline, Solid(fill));
  surface.SetPixel({5, 5}, fill);
  surface.DrawLine({2, 9}, {7, 9}, outline);  // outline colour into the interior
  const PixelRect line = surface.TakeChangedArea();
  EXPECT_EQ(line.top, 9);
  EXPECT_EQ(line.bottom, 10);

  surface.SetPixel({19, 0}, 0x00123456);
  const PixelRect pixel = surface.TakeChangedArea();
  EXPECT_EQ(pixel.left, 19);
  EXPECT_EQ(pixel.top, 0);
  EXPECT_EQ(pixel.Width(), 1);
  EXPECT_EQ(pixel.Height(), 1);
}

TEST(SurfaceTest, ColoursAreCutToTwentyFourBits) {
  Surface surface(2, 1, 0xFF000001);
  EXPECT_EQ(surface.PixelAt(0, 0), 0x00000001u);
  surface.SetPixel({1, 0}, 0xFFFFFFFE);
  EXPECT_EQ(surface.PixelAt(1, 0), 0x00FFFFFEu);
}

}  // namespace
}  // namespace graphics

namespace graphics {
namespace {

TEST(SurfaceTest, RepeatedShapesDrawAsFreshOnes) {
  // A surface remembers the last shape's rows; other shapes between must
  // not leak into it.
  const BoxFigure shapes[] = {{{1, 1, 13, 13}, 13, 13}, {{2, 0, 9, 14}, 8, 15}, {{0, 3, 14, 9}, 4, 4},
                              {{1, 1, 13, 13}, 13, 13}, {{2, 0, 9, 14}, 3, 3}};
  Surface reused(14, 14, 0);
  for (const BoxFigure& shape : shapes) {
    Surface fresh(14, 14, 0);
    fresh.DrawBox(shape, 0x0000AA, {InteriorMode::painted, FillPattern::solid, 0x00BB00, 0});
    reused.DrawBox({{0, 0, 14, 14}, 0, 0}, 0, {InteriorMode::painted, FillPattern::solid, 0, 0});
    reused.DrawBox(shape, 0x0000AA, {InteriorMode::painted, FillPattern::solid, 0x00BB00, 0});
    EXPECT_EQ(reused.CopyPixels(), fresh.CopyPixels());
  }
}

}  // namespace
}  // namespace graphics
