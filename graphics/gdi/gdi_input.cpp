#include "graphics/gdi/gdi_input.h"

#include <windowsx.h>

namespace graphics::gdi {

namespace {

struct ButtonMessage {
  UINT message;
  InputKind kind;
  PointerButton button;
};

constexpr ButtonMessage buttonMessages[] = {
    {WM_LBUTTONDOWN, InputKind::buttonPress, PointerButton::left},
    {WM_LBUTTONUP, InputKind::buttonRelease, PointerButton::left},
    {WM_MBUTTONDOWN, InputKind::buttonPress, PointerButton::middle},
    {WM_MBUTTONUP, InputKind::buttonRelease, PointerButton::middle},
    {WM_RBUTTONDOWN, InputKind::buttonPress, PointerButton::right},
    {WM_RBUTTONUP, InputKind::buttonRelease, PointerButton::right},
};

struct NamedKey {
  WPARAM virtualKey;
  InputKey key;
};

constexpr NamedKey namedKeys[] = {
    {VK_ESCAPE, InputKey::escape}, {VK_BACK, InputKey::backspace}, {VK_HOME, InputKey::home},
    {VK_LEFT, InputKey::left},     {VK_RIGHT, InputKey::right},    {VK_UP, InputKey::up},
    {VK_DOWN, InputKey::down},
};

constexpr WPARAM firstPrintable = 0x20;
constexpr WPARAM deleteCharacter = 0x7F;

}  // namespace

std::optional<InputEvent> PointerEvent(UINT message, LPARAM lParam) {
  InputEvent event;
  // Signed: while the pointer is captured it may be left of or above the area.
  event.x = GET_X_LPARAM(lParam);
  event.y = GET_Y_LPARAM(lParam);
  if (message == WM_MOUSEMOVE) return event;  // the default kind is motion
  for (const ButtonMessage& entry : buttonMessages) {
    if (entry.message != message) continue;
    event.kind = entry.kind;
    event.button = entry.button;
    return event;
  }
  return std::nullopt;
}

std::optional<InputEvent> KeyDownEvent(WPARAM virtualKey) {
  for (const NamedKey& entry : namedKeys) {
    if (entry.virtualKey != virtualKey) continue;
    InputEvent event;
    event.kind = InputKind::key;
    event.key = entry.key;
    return event;
  }
  return std::nullopt;
}

std::optional<InputEvent> CharacterEvent(WPARAM character) {
  if (character < firstPrintable || character == deleteCharacter || character > 0xFF) {
    return std::nullopt;
  }
  const char narrow = static_cast<char>(character);
  wchar_t wide = 0;
  if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1) != 1) return std::nullopt;
  InputEvent event;
  event.kind = InputKind::key;
  event.key = InputKey::character;
  event.character = static_cast<char32_t>(wide);
  return event;
}

int WheelNotches::Add(int delta) {
  rest_ += delta;
  const int notches = rest_ / WHEEL_DELTA;  // towards zero: the rest keeps its sign
  rest_ -= notches * WHEEL_DELTA;
  return notches;
}

}  // namespace graphics::gdi
