#include "console/keyboard.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_keys.h"
#include "runtime/clock.h"

namespace console {
namespace {

using namespace std::string_literals;

class KeyboardTest : public ::testing::Test {
 protected:
  ScriptedKeys keys;
  runtime::VirtualClock clock;
  ConsoleKeyboard keyboard{keys, clock};
};

TEST_F(KeyboardTest, NoKeyGivesTheEmptyTextWithoutWaiting) {
  EXPECT_EQ(keyboard.PollKey(), "");
  EXPECT_EQ(keyboard.PeekKey().kind, KeyKind::none);
  EXPECT_EQ(clock.PauseCount(), 0u);
}

TEST_F(KeyboardTest, PollKeyTakesOneKeyPerCallInOrder) {
  keys.PushBytes("a\x1B[A\r");
  EXPECT_EQ(keyboard.PollKey(), "a");
  EXPECT_EQ(keyboard.PollKey(), "\0\x48"s);
  EXPECT_EQ(keyboard.PollKey(), "\r");
  EXPECT_EQ(keyboard.PollKey(), "");
}

TEST_F(KeyboardTest, PeekKeyLeavesTheKeyWaiting) {
  keys.Push(ExtendedKey(scan::f12));
  EXPECT_EQ(keyboard.PeekKey(), ExtendedKey(scan::f12));
  EXPECT_EQ(keyboard.PeekKey(), ExtendedKey(scan::f12));
  keyboard.ConsumeEvent();
  EXPECT_EQ(keyboard.PeekKey().kind, KeyKind::none);
}

TEST_F(KeyboardTest, WaitForCharacterThrowsAwayKeysWithoutOne) {
  keys.PushBytes("\x1B[B\x1BOQ\x1Bx");  // Down, F2, Alt+X
  keys.Push(CharacterKey(0));
  keys.PushBytes("z");
  EXPECT_EQ(keyboard.WaitForCharacter(), 'z');
  EXPECT_EQ(keyboard.PollKey(), "");
}

TEST_F(KeyboardTest, WaitForCharacterWaitsInTheSourceNotOnTheClock) {
  // Keys that arrive only at the fourth look.
  class LateKeys : public ScriptedKeys {
   public:
    void TakeArrivedKeys(std::deque<KeyPress>& queue) override {
      if (++looks_ >= 4) ScriptedKeys::TakeArrivedKeys(queue);
    }
    int looks_ = 0;
  } late;
  ConsoleKeyboard waiting(late, clock);
  late.PushBytes("q");
  EXPECT_EQ(waiting.WaitForCharacter(), 'q');
  EXPECT_EQ(late.Waits(), 3u);  // one wait after each look that found nothing
  EXPECT_EQ(clock.PauseCount(), 0u);
}

TEST_F(KeyboardTest, SleepGoesToTheClock) {
  keyboard.SleepMilliseconds(10000);
  keyboard.SleepMilliseconds(0);
  EXPECT_EQ(clock.ElapsedMilliseconds(), 10000u);
  EXPECT_EQ(clock.PauseCount(), 2u);
}

}  // namespace
}  // namespace console
