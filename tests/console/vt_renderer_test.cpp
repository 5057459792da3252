#include "console/vt/vt_renderer.h"

#include <gtest/gtest.h>

#include <string>

namespace console::vt {
namespace {

TEST(VtRenderer, ConsoleColoursMapToAnsi) {
  EXPECT_EQ(SgrColors(0xF0), "30;107");  // black on bright white
  EXPECT_EQ(SgrColors(0x07), "37;40");   // light grey on black
  EXPECT_EQ(SgrColors(0x1C), "91;44");   // bright red on blue
  EXPECT_EQ(SgrColors(0x63), "36;43");   // cyan on brown
  EXPECT_EQ(SgrColors(0x9E), "93;104");  // yellow on bright blue
}

class VtRendererTest : public ::testing::Test {
 protected:
  CellGrid grid{{6, 3}};
  VtRenderer renderer{grid};
  CursorAppearance cursor{10, true};
};

TEST_F(VtRendererTest, FirstRenderSetsOnlyTheCursor) {
  EXPECT_EQ(renderer.Render(grid, cursor), "\x1B[1;1H\x1B[3 q\x1B[?25h");
  EXPECT_EQ(renderer.Render(grid, cursor), "");
}

TEST_F(VtRendererTest, ChangedCellsOnlyWithColoursAndGlyphs) {
  renderer.Render(grid, cursor);
  grid.WriteRowPiece({2, 1}, "\x84\x01", 0xF0);
  grid.SetCursor({4, 1});
  EXPECT_EQ(renderer.Render(grid, cursor),
            "\x1B[?25l"
            "\x1B[2;3H\x1B[30;107m\xC3\xA4\xE2\x98\xBA"
            "\x1B[?25h");
}

TEST_F(VtRendererTest, CursorMovesAndLooks) {
  renderer.Render(grid, cursor);
  grid.SetCursor({5, 2});
  EXPECT_EQ(renderer.Render(grid, cursor), "\x1B[3;6H");
  EXPECT_EQ(renderer.Render(grid, {10, false}), "\x1B[?25l");
  EXPECT_EQ(renderer.Render(grid, {100, false}), "\x1B[1 q");
}

TEST_F(VtRendererTest, AfterTheLastColumnThePositionIsSetAgain) {
  renderer.Render(grid, cursor);
  grid.WriteRowPiece({5, 0}, "x", 0x07);
  grid.WriteRowPiece({0, 1}, "y", 0x07);
  EXPECT_EQ(renderer.Render(grid, cursor),
            "\x1B[?25l\x1B[1;6H\x1B[37;40mx\x1B[2;1Hy\x1B[1;1H\x1B[?25h");
}

TEST_F(VtRendererTest, InvalidateRepaintsEveryCell) {
  renderer.Render(grid, cursor);
  grid.Resize({2, 1});
  renderer.Invalidate();
  EXPECT_EQ(renderer.Render(grid, cursor), "\x1B[?25l\x1B[1;1H\x1B[37;40m  \x1B[1;1H\x1B[?25h");
}

TEST(VtRendererRelease, HandsBackDefaults) {
  EXPECT_EQ(VtRenderer::Release(), "\x1B[0m\x1B[0 q\x1B[?25h\x1B[?1036;1039r");
}

}  // namespace
}  // namespace console::vt
