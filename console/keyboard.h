// The console keyboard: polling for keys without waiting, waiting for a
// character, and the plain pause. Keys typed before they are asked for wait
// in the queue, in order.
#pragma once

#include <cstdint>
#include <deque>

#include "console/key_source.h"
#include "runtime/clock.h"
#include "runtime/text.h"

namespace console {

class ConsoleKeyboard {
 public:
  // Keys come from `source`; pauses go to `clock`.
  ConsoleKeyboard(KeySource& source, runtime::Clock& clock);

  // The first waiting key, left in the queue; kind none when there is none.
  KeyPress PeekKey();
  // Removes the first waiting key, if any.
  void ConsumeEvent();

  // Takes the first waiting key without ever waiting: the empty text when
  // none waits, one byte (the character) for a character key, two bytes
  // (0, then the scan code) for an extended key.
  runtime::Text PollKey();

  // Blocks until a key with a character (1-255) arrives and returns that
  // character. Keys without one are taken and thrown away. Sleeps in the key
  // source until input arrives (a key is taken as soon as it is there, and
  // nothing wakes the program while none comes), and never gives up.
  std::uint8_t WaitForCharacter();

  // Suspends the calling thread for `milliseconds`; 0 only yields.
  void SleepMilliseconds(std::uint32_t milliseconds);

 private:
  KeySource& source_;
  runtime::Clock& clock_;
  std::deque<KeyPress> queue_;  // keys arrived and not yet taken, oldest first
};

}  // namespace console
