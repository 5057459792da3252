#include "console/line_editor.h"

#include <cstdint>

namespace console {

namespace {

constexpr std::uint8_t backspace = 8;
constexpr std::uint8_t enter = 13;

// The line being typed and the screen it is echoed on.
struct LineInput {
  ConsoleScreen& screen;
  runtime::Text line;
};

void Append(LineInput& input, std::uint8_t character) {
  if (input.line.size() == lineCapacity) return;
  const runtime::Text echo = runtime::TextFromCode(character);
  input.line += echo;
  input.screen.WriteText(echo);
}

void EraseLast(LineInput& input) {
  if (input.line.empty()) return;
  input.screen.StepCursorBack();
  input.screen.WriteText(" ");
  input.screen.StepCursorBack();
  input.line.pop_back();
}

}  // namespace

runtime::Text ReadLine(ConsoleScreen& screen, ConsoleKeyboard& keyboard) {
  screen.ForceCursorVisible();
  LineInput input{screen, {}};
  for (;;) {
    const std::uint8_t character = keyboard.WaitForCharacter();
    if (character == enter) break;
    if (character == backspace) {
      EraseLast(input);
    } else if (character >= 32) {
      Append(input, character);
    }
  }
  screen.NewLine();
  screen.RestoreCursor();
  return std::move(input.line);
}

}  // namespace console
