#include "console/console_key_event.h"

#include <array>

namespace console {

namespace {

constexpr std::uint8_t escapeScanCode = 0x01;
constexpr std::uint8_t escapeCharacter = 27;

// Ctrl, left and right Shift, Alt, Caps Lock, Num Lock, Scroll Lock.
constexpr std::array<std::uint8_t, 7> modifierScanCodes{0x1D, 0x2A, 0x36, 0x38, 0x3A, 0x45, 0x46};

bool IsModifier(std::uint8_t scanCode) {
  for (const std::uint8_t modifier : modifierScanCodes) {
    if (scanCode == modifier) return true;
  }
  return false;
}

// The three rows of letter keys.
bool IsLetterKey(std::uint8_t scanCode) {
  return (scanCode >= 0x10 && scanCode <= 0x19) || (scanCode >= 0x1E && scanCode <= 0x26) ||
         (scanCode >= 0x2C && scanCode <= 0x32);
}

// A key of the main block with its unshifted and its shifted character.
struct ShiftPair {
  std::uint8_t scanCode;
  char unshifted;
  char shifted;
};

constexpr std::array<ShiftPair, 21> shiftPairs{{
    {0x02, '1', '!'}, {0x03, '2', '@'}, {0x04, '3', '#'},  {0x05, '4', '$'},  {0x06, '5', '%'},
    {0x07, '6', '^'}, {0x08, '7', '&'}, {0x09, '8', '*'},  {0x0A, '9', '('},  {0x0B, '0', ')'},
    {0x0C, '-', '_'}, {0x0D, '=', '+'}, {0x1A, '[', '{'},  {0x1B, ']', '}'},  {0x27, ';', ':'},
    {0x28, '\'', '"'}, {0x29, '`', '~'}, {0x2B, '\\', '|'}, {0x33, ',', '<'}, {0x34, '.', '>'},
    {0x35, '/', '?'},
}};

// While Caps Lock is on, a shift pair's symbol follows the Shift key alone.
std::uint8_t ApplyCapsLockRule(std::uint8_t character, const ConsoleKeyEvent& event) {
  if ((event.controlKeys & controlKey::capsLock) == 0) return character;
  const bool shiftHeld = (event.controlKeys & controlKey::shift) != 0;
  for (const ShiftPair& pair : shiftPairs) {
    if (pair.scanCode != event.scanCode) continue;
    const auto unshifted = static_cast<std::uint8_t>(pair.unshifted);
    const auto shifted = static_cast<std::uint8_t>(pair.shifted);
    if (shiftHeld && character == unshifted) return shifted;
    if (!shiftHeld && character == shifted) return unshifted;
    return character;
  }
  return character;
}

bool AltHeld(const ConsoleKeyEvent& event) {
  return (event.controlKeys & (controlKey::leftAlt | controlKey::rightAlt)) != 0;
}

}  // namespace

KeyPress KeyPressOf(const ConsoleKeyEvent& event) {
  if (!event.keyDown) return {};
  if (event.scanCode == escapeScanCode) return CharacterKey(escapeCharacter);
  if (event.character != 0) {
    if (AltHeld(event) && IsLetterKey(event.scanCode)) return ExtendedKey(event.scanCode);
    return CharacterKey(ApplyCapsLockRule(event.character, event));
  }
  if (IsModifier(event.scanCode)) return {};
  return ExtendedKey(event.scanCode);
}

}  // namespace console
