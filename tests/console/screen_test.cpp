#include "console/screen.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/memory_device.h"

namespace console {
namespace {

// A small screen: 10 columns, 4 rows.
class ScreenTest : public ::testing::Test {
 protected:
  MemoryDevice device{10, 4};
  ConsoleScreen screen{device};

  void ExpectCursor(int row, int column) {
    EXPECT_EQ(device.CursorRow(), row);
    EXPECT_EQ(device.CursorColumn(), column);
  }
};

TEST_F(ScreenTest, DefaultTextThenLineEnd) {
  screen.MoveCursor(2, 3);
  screen.WriteText("-50");
  screen.NewLine();
  EXPECT_EQ(device.Characters(2), "  -50     ");
  ExpectCursor(3, 1);
}

TEST_F(ScreenTest, MoveCursorKeepsEachOutOfRangeCoordinateApart) {
  screen.MoveCursor(3, 4);
  screen.MoveCursor(0, 5);
  ExpectCursor(3, 5);
  screen.MoveCursor(2, 11);
  ExpectCursor(2, 5);
  screen.MoveCursor(5, -1);
  ExpectCursor(2, 5);
  screen.MoveCursor(4, 10);
  ExpectCursor(4, 10);
}

TEST_F(ScreenTest, TextWrapsAtTheRightEdge) {
  screen.MoveCursor(1, 8);
  screen.WriteText("abcdef");
  EXPECT_EQ(device.Characters(1, 8), "abc");
  EXPECT_EQ(device.Characters(2, 1, 3), "def");
  ExpectCursor(2, 4);
  EXPECT_EQ(device.RowWrites(), 2);  // one write per row piece
}

TEST_F(ScreenTest, FullRowMovesToNextRowAndLineEndLeavesOneEmptyRow) {
  screen.WriteText("0123456789");
  ExpectCursor(2, 1);
  EXPECT_FALSE(screen.WrapPending());
  screen.NewLine();
  ExpectCursor(3, 1);
}

TEST_F(ScreenTest, ControlBytesTakeOneCellEach) {
  screen.WriteText("a\r\nb\t\x07");
  EXPECT_EQ(device.Characters(1, 1, 6), std::string("a\r\nb\t\x07"));
  ExpectCursor(1, 7);
}

TEST_F(ScreenTest, EmptyTextChangesNothingNotEvenAPendingScroll) {
  screen.MoveCursor(4, 9);
  screen.WriteText("xy");
  ASSERT_TRUE(screen.WrapPending());
  screen.WriteText("");
  EXPECT_TRUE(screen.WrapPending());
  EXPECT_EQ(device.Scrolls(), 0);
}

// Fills the bottom-right cell: the scroll waits.
class BottomRightTest : public ScreenTest {
 protected:
  void SetUp() override {
    screen.MoveCursor(1, 1);
    screen.WriteText("top");
    screen.MoveCursor(4, 8);
    screen.WriteText("end");
  }
};

TEST_F(BottomRightTest, LeavesCursorOverTheTextWithoutScrolling) {
  EXPECT_TRUE(screen.WrapPending());
  EXPECT_EQ(device.Scrolls(), 0);
  ExpectCursor(4, 1);
  EXPECT_EQ(device.Characters(4, 8), "end");
}

TEST_F(BottomRightTest, NextTextScrollsOnce) {
  screen.WriteText("A");
  EXPECT_EQ(device.Scrolls(), 1);
  EXPECT_EQ(device.Characters(3, 8), "end");
  EXPECT_EQ(device.Characters(4), "A         ");
  EXPECT_EQ(device.Characters(1), "          ");  // "top" scrolled away
  ExpectCursor(4, 2);
}

TEST_F(BottomRightTest, LineEndScrollsTwice) {
  screen.NewLine();
  EXPECT_EQ(device.Scrolls(), 2);
  EXPECT_EQ(device.Characters(2, 8), "end");
  EXPECT_EQ(device.Characters(4), "          ");
  ExpectCursor(4, 1);
  EXPECT_FALSE(screen.WrapPending());
}

TEST_F(BottomRightTest, MoveCursorCancelsTheScroll) {
  screen.MoveCursor(2, 2);
  screen.WriteText("B");
  EXPECT_EQ(device.Scrolls(), 0);
  EXPECT_EQ(device.Characters(4, 8), "end");
}

TEST_F(BottomRightTest, StepCursorBackGoesToTheFilledCellWithoutScrolling) {
  screen.StepCursorBack();
  EXPECT_EQ(device.Scrolls(), 0);
  ExpectCursor(4, 10);
  EXPECT_FALSE(screen.WrapPending());
}

TEST_F(ScreenTest, ScrolledInRowTakesTheCurrentColours) {
  screen.SetColors(1, 14, 0);
  screen.MoveCursor(4, 1);
  screen.NewLine();
  EXPECT_EQ(device.CellAt(4, 5), (Cell{0x20, 0xE1}));
}

TEST_F(ScreenTest, StepCursorBackAtColumnOne) {
  screen.MoveCursor(3, 1);
  screen.StepCursorBack();
  ExpectCursor(2, 10);
  screen.MoveCursor(1, 1);
  screen.StepCursorBack();
  ExpectCursor(1, 10);
  screen.StepCursorBack();
  ExpectCursor(1, 9);
}

TEST_F(ScreenTest, SetColorsKeepsOutOfRangeComponents) {
  screen.SetColors(16, 15, 0);
  EXPECT_EQ(screen.Foreground(), 7);
  EXPECT_EQ(screen.Background(), 15);
  EXPECT_EQ(device.TextAttribute(), 0xF7);
  device.SetTextAttribute(0);
  screen.SetColors(-1, -1, 0);
  EXPECT_EQ(screen.Foreground(), 7);
  EXPECT_EQ(screen.Background(), 15);
  EXPECT_EQ(device.TextAttribute(), 0xF7);  // set again all the same
}

TEST_F(ScreenTest, ClearScreenBlanksEveryCellInTheCurrentColours) {
  screen.WriteText("some text that wraps around");
  screen.SetColors(0, 15, 0);
  screen.ClearScreen();
  for (int row = 1; row <= 4; ++row) {
    for (int column = 1; column <= 10; ++column) {
      ASSERT_EQ(device.CellAt(row, column), (Cell{0x20, 0xF0})) << row << "," << column;
    }
  }
  ExpectCursor(1, 1);
  EXPECT_TRUE(device.CursorVisible());
}

TEST(ScreenBuffer, ClearScreenCoversRowsOutsideTheWindow) {
  MemoryDevice device({10, 6}, {10, 3});
  ConsoleScreen screen(device);
  screen.SetColors(0, 15, 0);
  screen.ClearScreen();
  EXPECT_EQ(device.CellAt(6, 10), (Cell{0x20, 0xF0}));
}

TEST(ScreenBuffer, RecolourCountIsLimitedByTheVisibleWindow) {
  MemoryDevice device({10, 6}, {10, 3});
  ConsoleScreen screen(device);
  screen.WriteText("abc");
  screen.MoveCursor(1, 2);
  screen.SetColors(4, 2, 31);  // more than the 30 visible cells: nothing
  EXPECT_EQ(device.CellAt(1, 2).attribute, 0x07);
  screen.SetColors(4, 2, 12);  // from the cursor on, over the row's end
  EXPECT_EQ(device.CellAt(1, 1).attribute, 0x07);
  EXPECT_EQ(device.CellAt(1, 2), (Cell{'b', 0x24}));
  EXPECT_EQ(device.CellAt(2, 3).attribute, 0x24);
  EXPECT_EQ(device.CellAt(2, 4).attribute, 0x07);
  EXPECT_EQ(device.CursorColumn(), 2);
}

TEST(ScreenCursor, UnreadableAppearanceFallsBackToTenPercentVisible) {
  MemoryDevice device(10, 4);
  device.SetCursorAppearance({50, false});
  device.MakeCursorUnreadable();
  ConsoleScreen screen(device);
  EXPECT_EQ(device.Cursor(), (CursorAppearance{10, true}));
  EXPECT_EQ(screen.Appearance(), (CursorAppearance{10, true}));
}

TEST(ScreenCursor, HiddenCursorIsShownForInputAndHiddenAgain) {
  MemoryDevice device(10, 4);
  device.SetCursorAppearance({40, false});
  ConsoleScreen screen(device);
  screen.ForceCursorVisible();
  EXPECT_EQ(device.Cursor(), (CursorAppearance{40, true}));
  screen.RestoreCursor();
  EXPECT_EQ(device.Cursor(), (CursorAppearance{40, false}));
  screen.ClearScreen();  // hiding a hidden cursor is no change to undo
  EXPECT_EQ(device.Cursor(), (CursorAppearance{40, false}));
}

TEST(ScreenResize, OperationsFollowTheSizeOfTheMoment) {
  MemoryDevice device(10, 4);
  ConsoleScreen screen(device);
  screen.MoveCursor(4, 10);
  device.Resize(5, 2);
  screen.WriteText("abcdefg");
  // The cursor was clamped to the new bottom-right cell: "a" fills it, and
  // each following row piece comes after a scroll.
  EXPECT_EQ(device.Characters(1), "bcdef");
  EXPECT_EQ(device.Characters(2), "g    ");
  EXPECT_EQ(device.Scrolls(), 2);
}

}  // namespace
}  // namespace console
