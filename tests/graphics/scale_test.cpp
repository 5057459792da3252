#include "graphics/scale.h"

#include <gtest/gtest.h>

#include <climits>

namespace graphics {
namespace {

class ScaleTest : public ::testing::Test {
 protected:
  ScaleTest() {
    area.width = 800;
    area.height = 600;
  }
  WindowRecord area;
};

TEST_F(ScaleTest, ProgramScaleMapsModelOntoTheArea) {
  ApplyGraphicScale(area, -200, 150, 200, -150);
  EXPECT_EQ(area.scaleFactorX, 2.0f);
  EXPECT_EQ(area.scaleFactorY, 2.0f);
  EXPECT_FALSE(area.HasFlag(windowFlag::flipX));
  EXPECT_TRUE(area.HasFlag(windowFlag::flipY));
  struct Case {
    runtime::Real x, y;
    std::int32_t pixelX, pixelY;
  };
  const Case cases[] = {
      {0, 0, 400, 300},
      {-200, 150, 0, 0},
      {200, -150, 800, 600},
      {0.25, 0, 400, 300},   // 400.5 rounds to the even 400
      {0.75, 0, 402, 300},   // 401.5 rounds to the even 402
      {150, 140, 700, 20},
      {-50, 50, 300, 200},
      {0, 0.25, 400, 300},   // 300.5 -> 300, then flipped
      {0, 0.75, 400, 298},   // 301.5 -> 302, then flipped
  };
  for (const Case& c : cases) {
    const PixelPoint pixel = ToPixel(area, c.x, c.y);
    EXPECT_EQ(pixel.x, c.pixelX) << "x " << static_cast<double>(c.x);
    EXPECT_EQ(pixel.y, c.pixelY) << "y " << static_cast<double>(c.y);
  }
}

TEST_F(ScaleTest, ConversionUsesTheCoordinateAsReceived) {
  // Just above a half in extended precision; a double would see the half
  // itself and round to even.
  const runtime::Real aboveHalf = runtime::Real(0.5) + 0x1p-63;
  ASSERT_EQ(static_cast<double>(aboveHalf), 0.5);
  EXPECT_EQ(ToPixel(area, aboveHalf, runtime::Real(2.5) + 0x1p-61).x, 1);
  EXPECT_EQ(ToPixel(area, aboveHalf, runtime::Real(2.5) + 0x1p-61).y, 3);
  ApplyGraphicScale(area, 0, 0, 800, 600);  // factor 1, origin 0
  EXPECT_EQ(ToPixel(area, aboveHalf, 0).x, 1);
  EXPECT_EQ(ToPixel(area, 0.5, 0).x, 0);
}

TEST_F(ScaleTest, CornersInEitherOrderFlipTheAxes) {
  ApplyGraphicScale(area, 10, 0, 0, 6);
  EXPECT_TRUE(area.HasFlag(windowFlag::flipX));
  EXPECT_FALSE(area.HasFlag(windowFlag::flipY));
  EXPECT_EQ(ToPixel(area, 10, 0).x, 0);
  EXPECT_EQ(ToPixel(area, 0, 6).x, 800);
  EXPECT_EQ(ToPixel(area, 0, 6).y, 600);
  ApplyGraphicScale(area, 0, 0, 10, 6);  // a new scale clears the old flips
  EXPECT_FALSE(area.HasFlag(windowFlag::flipX));
  EXPECT_EQ(ToPixel(area, 10, 0).x, 800);
}

TEST_F(ScaleTest, DegenerateScaleKeepsTheEarlierOne) {
  ApplyGraphicScale(area, -200, 150, 200, -150);
  ApplyGraphicScale(area, 1, 0, 1, 5);
  ApplyGraphicScale(area, 0, 3, 5, 3);
  ApplyGraphicScale(area, 0.0f, 3, -0.0f, 5);
  EXPECT_EQ(ToPixel(area, 0, 0).x, 400);
  EXPECT_EQ(ToPixel(area, 0, 0).y, 300);
  EXPECT_TRUE(area.HasFlag(windowFlag::flipY));
}

TEST_F(ScaleTest, WithoutScaleCoordinatesArePixelsRoundedHalfToEven) {
  EXPECT_EQ(ToPixel(area, 2.5, 3.5).x, 2);
  EXPECT_EQ(ToPixel(area, 2.5, 3.5).y, 4);
  EXPECT_EQ(ToPixel(area, -2.5, -0.5).x, -2);
  EXPECT_EQ(ToPixel(area, -2.5, -0.5).y, 0);
}

TEST_F(ScaleTest, OutOfRangePointsStayFarOff) {
  ApplyGraphicScale(area, -200, 150, 200, -150);
  const PixelPoint far = ToPixel(area, 1e12, 1e12);
  EXPECT_EQ(far.x, INT32_MIN);
  EXPECT_TRUE(far.y < 0 || far.y > 600);  // wrapped flip, outside the area
  const PixelPoint nan = ToPixel(area, __builtin_nan(""), 0);
  EXPECT_EQ(nan.x, INT32_MIN);
}

}  // namespace
}  // namespace graphics
