#include "graphics/web/page_input.h"

namespace graphics::web {

namespace {

struct NamedKey {
  std::string_view name;  // KeyboardEvent.key
  InputKey key;
};

constexpr NamedKey namedKeys[] = {
    {"Escape", InputKey::escape},   {"Backspace", InputKey::backspace},
    {"Home", InputKey::home},       {"ArrowLeft", InputKey::left},
    {"ArrowRight", InputKey::right}, {"ArrowUp", InputKey::up},
    {"ArrowDown", InputKey::down},
};

constexpr char32_t firstPrintable = 0x20;
constexpr char32_t deleteCharacter = 0x7F;

// The one character that the UTF-8 text `text` holds; none when it holds
// fewer or more, or is no UTF-8.
std::optional<char32_t> SingleCharacter(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 1;
  char32_t character = lead;
  if (lead >= 0xF0 && lead < 0xF8) {
    length = 4;
    character = lead & 0x07;
  } else if (lead >= 0xE0) {
    length = 3;
    character = lead & 0x0F;
  } else if (lead >= 0xC0) {
    length = 2;
    character = lead & 0x1F;
  } else if (lead >= 0x80) {
    return std::nullopt;  // a continuation byte cannot lead
  }
  if (text.size() != length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    character = character << 6 | (next & 0x3F);
  }
  return character;
}

}  // namespace

std::optional<InputEvent> PointerEventOf(std::string_view type, int button, int x, int y) {
  InputEvent event{.x = x, .y = y};
  if (type == "pointermove") return event;  // motion, whatever the buttons
  if (type == "pointerdown") {
    event.kind = InputKind::buttonPress;
  } else if (type == "pointerup") {
    event.kind = InputKind::buttonRelease;
  } else {
    return std::nullopt;
  }
  // The DOM's numbers: 0 the main (left) button, 1 the middle, 2 the right.
  constexpr PointerButton buttons[] = {PointerButton::left, PointerButton::middle,
                                       PointerButton::right};
  if (button < 0 || button > 2) return std::nullopt;
  event.button = buttons[button];
  return event;
}

std::optional<InputEvent> KeyEventOf(std::string_view key, int x, int y) {
  InputEvent event{.kind = InputKind::key, .x = x, .y = y};
  for (const NamedKey& entry : namedKeys) {
    if (entry.name != key) continue;
    event.key = entry.key;
    return event;
  }
  const auto character = SingleCharacter(key);
  if (!character || *character < firstPrintable || *character == deleteCharacter) {
    return std::nullopt;
  }
  event.key = InputKey::character;
  event.character = *character;
  return event;
}

}  // namespace graphics::web
