// Key presses and where they come from. A key source turns the console's
// raw input into key presses in arrival order; the keyboard
// (console/keyboard.h) keeps them queued until the program takes them.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>

namespace console {

enum class KeyKind : std::uint8_t {
  none,       // no key waiting
  character,  // a key with a character of the OEM code page (Enter 13, Backspace 8, Esc 27)
  extended,   // a key without a character: arrows, Home, F1, Alt+letter ...
};

// One key press.
struct KeyPress {
  KeyKind kind = KeyKind::none;
  std::uint8_t character = 0;  // the code page 850 byte, for kind character
  std::uint8_t scanCode = 0;   // the PC keyboard scan code, for kind extended

  bool operator==(const KeyPress&) const = default;
};

inline KeyPress CharacterKey(std::uint8_t character) {
  return {KeyKind::character, character, 0};
}
inline KeyPress ExtendedKey(std::uint8_t scanCode) { return {KeyKind::extended, 0, scanCode}; }

// PC scan codes of the keys without a character.
namespace scan {
inline constexpr std::uint8_t up = 0x48;
inline constexpr std::uint8_t down = 0x50;
inline constexpr std::uint8_t left = 0x4B;
inline constexpr std::uint8_t right = 0x4D;
inline constexpr std::uint8_t home = 0x47;
inline constexpr std::uint8_t end = 0x4F;
inline constexpr std::uint8_t pageUp = 0x49;
inline constexpr std::uint8_t pageDown = 0x51;
inline constexpr std::uint8_t insert = 0x52;
inline constexpr std::uint8_t deleteKey = 0x53;
inline constexpr std::uint8_t f1 = 0x3B;  // F1-F10 are 0x3B-0x44 in order
inline constexpr std::uint8_t f11 = 0x57;
inline constexpr std::uint8_t f12 = 0x58;
inline constexpr std::uint8_t f13 = 0x64;  // F13-F23 are 0x64-0x6E in order
inline constexpr std::uint8_t keypadCentre = 0x4C;  // keypad 5 with Num Lock off
inline constexpr std::uint8_t space = 0x39;         // the space bar (Ctrl+Space has no character)
// A key the terminal sent that has no PC scan code of its own (a character
// the code page lacks, an unknown escape sequence ...).
inline constexpr std::uint8_t unknown = 0x00;
}  // namespace scan

class KeySource {
 public:
  virtual ~KeySource() = default;
  // Appends to `queue` the key presses that have arrived since the last call,
  // in order. Never waits for a first key; may wait a few tens of
  // milliseconds for the rest of a key whose bytes have begun to arrive.
  virtual void TakeArrivedKeys(std::deque<KeyPress>& queue) = 0;

  // Blocks until input may have arrived or `timeout` has passed, whichever
  // comes first; returns at once when input is already waiting. A return
  // without input is allowed (the caller looks again), so a source that
  // cannot wait may return at once.
  virtual void AwaitInput(std::chrono::milliseconds timeout) = 0;
};

}  // namespace console
