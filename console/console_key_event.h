// Key events as a console's input queue delivers them (the Windows console's
// key events: key down or up, the character in the input code page, the
// hardware scan code and the control-key flags), and the rules that turn
// one into a key press. A pure function, so the rules are tested on every
// platform; the Windows console backend feeds it.
#pragma once

#include <cstdint>

#include "console/key_source.h"

namespace console {

// The bits of ConsoleKeyEvent::controlKeys (the console's own values).
namespace controlKey {
inline constexpr std::uint32_t rightAlt = 0x0001;
inline constexpr std::uint32_t leftAlt = 0x0002;
inline constexpr std::uint32_t rightCtrl = 0x0004;
inline constexpr std::uint32_t leftCtrl = 0x0008;
inline constexpr std::uint32_t shift = 0x0010;
inline constexpr std::uint32_t capsLock = 0x0080;  // Caps Lock is on
}  // namespace controlKey

// One key event of the console's input queue.
struct ConsoleKeyEvent {
  bool keyDown = true;           // pressed (true) or released
  std::uint8_t character = 0;    // in the console's input code page (850); 0 for none
  std::uint8_t scanCode = 0;     // the hardware scan code's low 8 bits
  std::uint32_t controlKeys = 0; // controlKey bits
};

// The key press `event` stands for, or kind none for an event that is never
// reported (a release, a modifier or lock key). Keys are told apart by scan
// code only; the repeat count and the virtual-key code play no part.
//   - A character with left or right Alt held on a letter key: the extended
//     key of its scan code (Alt+X is 0, 0x2D).
//   - Any other character: that character, after the Caps Lock rule: while
//     Caps Lock is on, the symbols of the main block's shift pairs follow
//     the Shift key alone.
//   - The Esc key: the character 27, also from a console that delivers it
//     without its character.
//   - Any other key without a character: the extended key of its scan code.
KeyPress KeyPressOf(const ConsoleKeyEvent& event);

}  // namespace console
