#include "console/line_editor.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/memory_device.h"
#include "tests/support/scripted_keys.h"
#include "runtime/clock.h"

namespace console {
namespace {

class LineEditorTest : public ::testing::Test {
 protected:
  MemoryDevice device{20, 4};
  ConsoleScreen screen{device};
  ScriptedKeys keys;
  runtime::VirtualClock clock;
  ConsoleKeyboard keyboard{keys, clock};

  // A field as the form shows it: the default text at row 2, column 5, the
  // cursor on its first character.
  void ShowDefault(const std::string& text) {
    screen.MoveCursor(2, 5);
    screen.WriteText(text);
    screen.MoveCursor(2, 5);
  }
};

TEST_F(LineEditorTest, EnterAtOnceReturnsTheEmptyTextAndLeavesTheDefault) {
  ShowDefault("-50");
  keys.PushBytes("\r");
  EXPECT_EQ(ReadLine(screen, keyboard), "");
  EXPECT_EQ(device.Characters(2, 5, 3), "-50");
  EXPECT_EQ(device.CursorRow(), 3);
  EXPECT_EQ(device.CursorColumn(), 1);
}

TEST_F(LineEditorTest, TypingOverTheDefaultKeepsItsRestVisible) {
  ShowDefault("-50");
  keys.PushBytes("7\r");
  EXPECT_EQ(ReadLine(screen, keyboard), "7");
  EXPECT_EQ(device.Characters(2, 5, 3), "750");
}

TEST_F(LineEditorTest, BackspaceErasesTheLastCharacter) {
  ShowDefault("xyz");
  keys.PushBytes("12\x7F"
                 "3\r");
  EXPECT_EQ(ReadLine(screen, keyboard), "13");
  EXPECT_EQ(device.Characters(2, 5, 3), "13z");
}

TEST_F(LineEditorTest, BackspaceOnAnEmptyLineDoesNothing) {
  ShowDefault("ab");
  keys.PushBytes("\x08\x08x\r");
  EXPECT_EQ(ReadLine(screen, keyboard), "x");
  EXPECT_EQ(device.Characters(2, 4, 3), " xb");
}

TEST_F(LineEditorTest, KeysWithoutTextChangeNothing) {
  ShowDefault("-50");
  // Tab, Esc (on its own), Up, F1, Alt+A, Ctrl+C, Home, Delete.
  keys.PushBytes("\t");
  keys.PushBytes("\x1B");
  keys.PushBytes("\x1B[A\x1BOP\x1B"
                 "a\x03\x1B[H\x1B[3~");
  keys.PushBytes("5\r");
  EXPECT_EQ(ReadLine(screen, keyboard), "5");
  EXPECT_EQ(device.Characters(2, 1), "    550             ");
}

TEST_F(LineEditorTest, UpperHalfCharactersAreStoredAsCodePageBytes) {
  keys.PushBytes("\xC3\xA4\xC3\xB6\r");  // "äö" in UTF-8
  EXPECT_EQ(ReadLine(screen, keyboard), "\x84\x94");
}

TEST_F(LineEditorTest, LongLineWrapsAndBackspaceReturnsToTheRowAbove) {
  screen.MoveCursor(1, 18);
  keys.PushBytes("abcd\x7F\x7F\x7F" "X\r");
  EXPECT_EQ(ReadLine(screen, keyboard), "aX");
  EXPECT_EQ(device.Characters(1, 18), "aX ");
  EXPECT_EQ(device.Characters(2, 1, 1), " ");
}

TEST_F(LineEditorTest, BottomRightCellScrollsOnlyWhenTheNextCharacterComes) {
  screen.MoveCursor(4, 19);
  keys.PushBytes("ab\x7F" "c");
  keys.PushBytes("d\r");
  EXPECT_EQ(ReadLine(screen, keyboard), "acd");
  // "b" filled the bottom-right cell; Backspace erased it without a scroll;
  // "c" filled it again, "d" scrolled, and Enter on the bottom row scrolled
  // once more.
  EXPECT_EQ(device.Scrolls(), 2);
  EXPECT_EQ(device.Characters(2, 19), "ac");
  EXPECT_EQ(device.Characters(3, 1, 1), "d");
}

TEST_F(LineEditorTest, TheLineHoldsAtMostTenThousandCharacters) {
  MemoryDevice wide(200, 60);
  ConsoleScreen wideScreen(wide);
  keys.PushBytes(std::string(lineCapacity, 'q') + "rs\x7F" "t\r");
  const runtime::Text line = ReadLine(wideScreen, keyboard);
  EXPECT_EQ(line.size(), lineCapacity);
  EXPECT_EQ(line.substr(lineCapacity - 2), "qt");
}

TEST_F(LineEditorTest, HiddenCursorIsShownDuringInputOnly) {
  device.SetCursorAppearance({30, false});
  ConsoleScreen hidden(device);
  keys.Push(CharacterKey('1'));
  keys.Push(CharacterKey(13));
  EXPECT_EQ(ReadLine(hidden, keyboard), "1");
  EXPECT_FALSE(device.CursorVisible());
}

TEST_F(LineEditorTest, TypeAheadAnswersSeveralLines) {
  keys.PushBytes("\r\r3\r");
  EXPECT_EQ(ReadLine(screen, keyboard), "");
  EXPECT_EQ(ReadLine(screen, keyboard), "");
  EXPECT_EQ(ReadLine(screen, keyboard), "3");
}

}  // namespace
}  // namespace console
