#include "console/keyboard.h"

namespace console {

ConsoleKeyboard::ConsoleKeyboard(KeySource& source, runtime::Clock& clock)
    : source_(source), clock_(clock) {}

KeyPress ConsoleKeyboard::PeekKey() {
  if (queue_.empty()) source_.TakeArrivedKeys(queue_);
  if (queue_.empty()) return {};
  return queue_.front();
}

void ConsoleKeyboard::ConsumeEvent() {
  if (!queue_.empty()) queue_.pop_front();
}

runtime::Text ConsoleKeyboard::PollKey() {
  const KeyPress key = PeekKey();
  switch (key.kind) {
    case KeyKind::none:
      return {};
    case KeyKind::character:
      ConsumeEvent();
      return runtime::TextFromCode(key.character);
    case KeyKind::extended:
      ConsumeEvent();
      return runtime::TextFromCode(0) + runtime::TextFromCode(key.scanCode);
  }
  return {};
}

std::uint8_t ConsoleKeyboard::WaitForCharacter() {
  // The source's wait ends early for input; the timeout only bounds a wait
  // that a lost wake-up would otherwise make endless.
  constexpr std::chrono::milliseconds longestWait{1000};
  for (;;) {
    const KeyPress key = PeekKey();
    if (key.kind == KeyKind::none) {
      source_.AwaitInput(longestWait);
      continue;
    }
    ConsumeEvent();
    if (key.kind == KeyKind::character && key.character != 0) return key.character;
  }
}

void ConsoleKeyboard::SleepMilliseconds(std::uint32_t milliseconds) {
  clock_.SleepMilliseconds(milliseconds);
}

}  // namespace console
