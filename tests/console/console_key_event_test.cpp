#include "console/console_key_event.h"

#include <gtest/gtest.h>

namespace console {
namespace {

using namespace controlKey;

constexpr ConsoleKeyEvent Down(std::uint8_t character, std::uint8_t scanCode,
                               std::uint32_t controlKeys = 0) {
  return {true, character, scanCode, controlKeys};
}

TEST(ConsoleKeyEventTest, EventsBecomeKeyPresses) {
  const struct {
    const char* what;
    ConsoleKeyEvent event;
    KeyPress expected;
  } cases[] = {
      {"letter", Down('a', 0x1E), CharacterKey('a')},
      {"release", {false, 'a', 0x1E, 0}, KeyPress{}},
      {"Enter", Down(13, 0x1C), CharacterKey(13)},
      {"Backspace", Down(8, 0x0E), CharacterKey(8)},
      {"Ctrl+C", Down(3, 0x2E, leftCtrl), CharacterKey(3)},
      {"umlaut in code page 850", Down(0x84, 0x28), CharacterKey(0x84)},
      {"Esc", Down(27, 0x01), CharacterKey(27)},
      {"Esc delivered without its character", Down(0, 0x01), CharacterKey(27)},
      {"Up", Down(0, 0x48), ExtendedKey(scan::up)},
      {"Up with Num Lock and enhanced flags", Down(0, 0x48, 0x0120), ExtendedKey(scan::up)},
      {"F1", Down(0, 0x3B), ExtendedKey(scan::f1)},
      {"F12", Down(0, 0x58), ExtendedKey(scan::f12)},
      {"Alt+X", Down('x', 0x2D, leftAlt), ExtendedKey(0x2D)},
      {"AltGr+Q types @", Down('@', 0x10, rightAlt | leftCtrl), ExtendedKey(0x10)},
      {"AltGr on a digit key keeps its character", Down('}', 0x0B, rightAlt | leftCtrl),
       CharacterKey('}')},
      {"Alt alone", Down(0, 0x38, leftAlt), KeyPress{}},
      {"Shift alone", Down(0, 0x2A, shift), KeyPress{}},
      {"right Shift", Down(0, 0x36, shift), KeyPress{}},
      {"Ctrl alone", Down(0, 0x1D, leftCtrl), KeyPress{}},
      {"Caps Lock", Down(0, 0x3A, capsLock), KeyPress{}},
      {"Num Lock", Down(0, 0x45), KeyPress{}},
      {"Scroll Lock", Down(0, 0x46), KeyPress{}},
      {"Caps Lock, Shift+1 typed as 1", Down('1', 0x02, capsLock | shift), CharacterKey('!')},
      {"Caps Lock, 1 typed as !", Down('!', 0x02, capsLock), CharacterKey('1')},
      {"Caps Lock, Shift+/ typed as /", Down('/', 0x35, capsLock | shift), CharacterKey('?')},
      {"Caps Lock, other characters kept", Down('A', 0x1E, capsLock), CharacterKey('A')},
      {"Caps Lock, a pair key's foreign character kept", Down('x', 0x02, capsLock),
       CharacterKey('x')},
      {"Shift without Caps Lock changes nothing", Down('1', 0x02, shift), CharacterKey('1')},
  };
  for (const auto& testCase : cases) {
    EXPECT_EQ(KeyPressOf(testCase.event), testCase.expected) << testCase.what;
  }
}

}  // namespace
}  // namespace console
