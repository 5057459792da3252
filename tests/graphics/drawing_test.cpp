// The drawing operations on an 800 x 600 offscreen window under the
// program's scale (-200, 150)-(200, -150).
#include "graphics/drawing.h"

#include <gtest/gtest.h>

#include "graphics/surface.h"
#include "offscreen_fixture.h"

namespace graphics {
namespace {

constexpr ColorRef red = 0x000000FF;
constexpr ColorRef blue = 0x00FF0000;

// The bounding box of the pixels that differ from the background.
PixelRect DrawnArea(const offscreen::WindowImage& image, ColorRef background = dialogFaceColor) {
  PixelRect box{image.width, image.height, -1, -1};
  for (std::int32_t y = 0; y < image.height; ++y) {
    for (std::int32_t x = 0; x < image.width; ++x) {
      if (image.SurfacePixel(x, y) == background) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
             std::max(box.bottom, y + 1)};
    }
  }
  return box;
}

class DrawingTest : public OffscreenTest {
 protected:
  void SetUp() override {
    OffscreenTest::SetUp();
    OpenProgramWindow("Drawing");
  }
  offscreen::WindowImage Image() { return Inspect("Drawing"); }
};

TEST(ComposeRgbTest, ClampsEachComponent) {
  EXPECT_EQ(ComposeRgb(255, 255, 0), 0x0000FFFFu);
  EXPECT_EQ(ComposeRgb(300, -5, 128), 0x008000FFu);
  EXPECT_EQ(ComposeRgb(0, 191, 0), 0x0000BF00u);
  EXPECT_EQ(ComposeRgb(INT32_MIN, INT32_MAX, 256), 0x00FFFF00u);
}

TEST_F(DrawingTest, NewWindowShowsTheDialogFace) {
  const auto image = Image();
  ASSERT_EQ(image.width, 800);
  ASSERT_EQ(image.height, 600);
  EXPECT_EQ(image.SurfacePixel(0, 0), dialogFaceColor);
  EXPECT_EQ(image.ScreenPixel(799, 599), dialogFaceColor);
  EXPECT_TRUE(DrawnArea(image).IsEmpty());
}

TEST_F(DrawingTest, MarkerIsATwelvePixelCircle) {
  DrawGraphicBox(-3, -3, 3, 3, ellipseCorners, red, UseForeground);
  const auto image = Image();
  const PixelRect drawn = DrawnArea(image);
  EXPECT_EQ(drawn.left, 394);
  EXPECT_EQ(drawn.right, 406);
  EXPECT_EQ(drawn.top, 294);
  EXPECT_EQ(drawn.bottom, 306);
  for (std::int32_t y = 294; y < 306; ++y) {
    for (std::int32_t x = 394; x < 406; ++x) {
      EXPECT_EQ(image.SurfacePixel(x, y), image.SurfacePixel(394 + 405 - x, y));
      EXPECT_EQ(image.SurfacePixel(x, y), image.SurfacePixel(x, 294 + 305 - y));
    }
  }
  EXPECT_EQ(image.SurfacePixel(400, 300), red);  // filled with the outline colour
  EXPECT_EQ(image.SurfacePixel(394, 294), dialogFaceColor);  // a rounded-off corner
}

TEST_F(DrawingTest, FilledBoxWithSquareCornersInAnyCornerOrder) {
  struct Case {
    float x1, y1, x2, y2;
  };
  const Case cases[] = {{130, 144, 170, 90}, {170, 90, 130, 144}, {130, 90, 170, 144}, {170, 144, 130, 90}};
  for (const Case& c : cases) {
    DrawGraphicBox(-200, 150, 200, -150, squareCorners, dialogFaceColor, dialogFaceColor);  // wipe
    DrawGraphicBox(c.x1, c.y1, c.x2, c.y2, squareCorners, blue, blue);
    const PixelRect drawn = DrawnArea(Image());
    EXPECT_EQ(drawn.left, 660);
    EXPECT_EQ(drawn.right, 740);
    EXPECT_EQ(drawn.top, 12);
    EXPECT_EQ(drawn.bottom, 120);
  }
}

TEST_F(DrawingTest, BoxAcrossTheSurfaceEdgeIsTheSameInEitherOrder) {
  // Pixel x from -20 to 20: one corner's pixel is negative, the other's positive.
  DrawGraphicBox(-210, 5, -190, -5, ellipseCorners, red, blue);
  const auto first = Image().surface;
  DrawGraphicBox(-200, 150, 200, -150, squareCorners, dialogFaceColor, dialogFaceColor);
  DrawGraphicBox(-190, -5, -210, 5, ellipseCorners, red, blue);
  const auto second = Image();
  EXPECT_EQ(first, second.surface);
  const PixelRect drawn = DrawnArea(second);
  EXPECT_EQ(drawn.left, 0);
  EXPECT_EQ(drawn.right, 20);
  EXPECT_EQ(drawn.top, 290);
  EXPECT_EQ(drawn.bottom, 310);
}

TEST_F(DrawingTest, OutOfRangeCornersAreClamped) {
  // Each pair must draw identical pictures.
  struct Case {
    std::int32_t corner, sameCorner;
  };
  const Case cases[] = {{-7, 0}, {250, 100}};
  for (const Case& c : cases) {
    DrawGraphicBox(-200, 150, 200, -150, squareCorners, dialogFaceColor, dialogFaceColor);
    DrawGraphicBox(-20, 10, 20, -10, RoundedCorners(c.corner), red, blue);
    const auto clamped = Image().surface;
    DrawGraphicBox(-200, 150, 200, -150, squareCorners, dialogFaceColor, dialogFaceColor);
    DrawGraphicBox(-20, 10, 20, -10, RoundedCorners(c.sameCorner), red, blue);
    EXPECT_EQ(clamped, Image().surface) << c.corner;
  }
  // And 100 really rounds: the box's corner pixel stays background.
  EXPECT_EQ(Image().SurfacePixel(360, 280), dialogFaceColor);
}

TEST_F(DrawingTest, SpecialColours) {
  DrawGraphicBox(-200, 150, 200, -150, squareCorners, blue, blue);
  DrawGraphicBox(-10, 10, 10, -10, squareCorners, NoFill, NoFill);  // outline -2 is a colour; fill -2 is none
  auto image = Image();
  EXPECT_EQ(image.SurfacePixel(380, 280), 0x00FFFFFEu);
  EXPECT_EQ(image.SurfacePixel(400, 300), blue);

  DrawGraphicBox(-10, 10, 10, -10, squareCorners, UseForeground, UseForeground);
  image = Image();
  EXPECT_EQ(image.SurfacePixel(380, 280), windowTextColor);
  EXPECT_EQ(image.SurfacePixel(400, 300), windowTextColor);

  DrawGraphicBox(-10, 10, 10, -10, squareCorners, 0xAB00FF00, 0xCD0000FF);
  image = Image();
  EXPECT_EQ(image.SurfacePixel(380, 280), 0x0000FF00u);
  EXPECT_EQ(image.SurfacePixel(400, 300), 0x000000FFu);
}

TEST_F(DrawingTest, HatchShowsTheBackgroundColourBetweenLines) {
  DrawGraphicBox(-200, 150, 200, -150, squareCorners, red, red);
  DrawGraphicBox(-20, 20, 20, -20, squareCorners, blue, blue, FillPattern::horizontal);  // horizontal lines
  const auto image = Image();
  int lines = 0, between = 0;
  for (std::int32_t y = 262; y < 338; ++y) {
    const ColorRef pixel = image.SurfacePixel(400, y);
    if (pixel == blue) ++lines;
    if (pixel == dialogFaceColor) ++between;
  }
  EXPECT_GT(lines, 5);
  EXPECT_EQ(lines + between, 76);  // nothing of the red below shows through
}

TEST_F(DrawingTest, LineStartsAtThePositionAndLeavesOutItsEnd) {
  SetGraphicPosition(150, 140);                 // pixel (700, 20)
  DrawGraphicLine(150, 130, red);               // to pixel (700, 40)
  DrawGraphicLine(160, 130, UseForeground);     // to pixel (720, 40)
  const auto image = Image();
  EXPECT_EQ(image.SurfacePixel(700, 20), red);
  EXPECT_EQ(image.SurfacePixel(700, 39), red);
  EXPECT_EQ(image.SurfacePixel(700, 40), windowTextColor);  // the second line's start
  EXPECT_EQ(image.SurfacePixel(719, 40), windowTextColor);
  EXPECT_EQ(image.SurfacePixel(720, 40), dialogFaceColor);  // the end, left out
  EXPECT_EQ(image.SurfacePixel(700, 19), dialogFaceColor);
  const PixelRect drawn = DrawnArea(image);
  EXPECT_EQ(drawn.right, 720);
  EXPECT_EQ(drawn.bottom, 41);
}

TEST_F(DrawingTest, PixelsMoveThePositionAndIgnoreTheOutside) {
  SetGraphicPixel(-50, 50, UseForeground);   // pixel (300, 200)
  SetGraphicPixel(1000, 1000, red);          // outside, but the position moves there
  DrawGraphicLine(-50, 50, red);             // from far outside back to (300, 200)
  const auto image = Image();
  EXPECT_EQ(image.SurfacePixel(300, 200), windowTextColor);  // the line's end is left out
  EXPECT_EQ(image.SurfacePixel(301, 199), red);              // the line came from up right
}

TEST_F(DrawingTest, BoxesLeaveThePositionAlone) {
  SetGraphicPosition(0, 0);
  DrawGraphicBox(10, 10, 20, 20, squareCorners, red, red);
  DrawGraphicLine(0, -10, blue);
  EXPECT_EQ(Image().SurfacePixel(400, 300), blue);
}

}  // namespace
}  // namespace graphics
