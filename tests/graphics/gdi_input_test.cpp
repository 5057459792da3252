// The Win32 window's input under Wine: messages posted to a real drawing
// area go through the thread's message loop (TranslateMessage included) and
// its window procedure, and come out of the window's input queue as events.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/gdi/gdi_input.h"
#include "graphics/gdi/gdi_window.h"
#include "graphics/input_event.h"

namespace graphics {
namespace {

constexpr int width = 200;
constexpr int height = 150;
constexpr LPARAM scanCodeOfS = 0x1F << 16;

InputEvent Pointer(InputKind kind, PointerButton button, int x, int y) {
  InputEvent event;
  event.kind = kind;
  event.button = button;
  event.x = x;
  event.y = y;
  return event;
}

InputEvent Key(InputKey key, char32_t character = 0) {
  InputEvent event;
  event.kind = InputKind::key;
  event.key = key;
  event.character = character;
  return event;
}

// An event as text, for comparing and for the failure's message; a key's
// pointer position is where the real pointer happens to be.
std::string Described(const InputEvent& event) {
  std::ostringstream text;
  text << "kind " << static_cast<int>(event.kind) << " button " << static_cast<int>(event.button)
       << " wheel " << event.wheelSteps << " key " << static_cast<int>(event.key) << " character "
       << static_cast<unsigned>(event.character);
  if (event.kind != InputKind::key) text << " at " << event.x << "," << event.y;
  return text.str();
}

class GdiInputTest : public ::testing::Test {
 protected:
  // A window of this thread; its messages are dispatched by the test.
  void Open(std::shared_ptr<InputQueue> input) {
    WindowSettings settings;
    settings.caption = "Input";
    settings.x = 100;
    settings.y = 100;
    settings.width = width;
    settings.height = height;
    settings.input = input;
    window_ = gdi::MakeGdiWindow(settings, std::make_shared<Surface>(width, height, 0));
    ASSERT_NE(window_, nullptr);
    window_->Show();
    area_ = FindWindowExA(FindWindowA("MagpendFrame", "Input"), nullptr, "MagpendDrawingArea",
                          nullptr);
    ASSERT_NE(area_, nullptr);
    Dispatch();
  }
  void TearDown() override { window_.reset(); }

  void Dispatch() { EXPECT_EQ(window_->DispatchEvents(), WindowEvent::none); }

  // Posts a message to the drawing area and lets the window handle it.
  void Post(UINT message, WPARAM wParam, LPARAM lParam) {
    ASSERT_TRUE(PostMessageA(area_, message, wParam, lParam));
    Dispatch();
  }

  LPARAM ScreenPosition(int x, int y) const {
    POINT point{x, y};
    ClientToScreen(area_, &point);
    return MAKELPARAM(point.x, point.y);
  }

  std::unique_ptr<NativeWindow> window_;
  HWND area_ = nullptr;
};

// Everything queued, without motion to elsewhere than `posted`: the window
// system makes motion up itself (when a window appears under the pointer,
// or the capture ends).
std::vector<std::string> QueuedEvents(InputQueue& queue, const std::optional<InputEvent>& posted) {
  std::vector<std::string> events;
  while (const auto event = queue.TryPop()) {
    const std::string text = Described(*event);
    if (event->kind == InputKind::motion && (!posted || text != Described(*posted))) continue;
    events.push_back(text);
  }
  return events;
}

TEST_F(GdiInputTest, MouseAndKeyMessagesBecomeEvents) {
  auto queue = std::make_shared<InputQueue>();
  ASSERT_NO_FATAL_FAILURE(Open(queue));
  EXPECT_EQ(GetFocus(), area_) << "the keys would not reach the drawing area";
  while (queue->TryPop()) {
  }

  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::optional<InputEvent> expected;
  };
  const InputEvent wheelUp{InputKind::wheel, 12, 34, PointerButton::none, 1};
  const InputEvent wheelDown{InputKind::wheel, 12, 34, PointerButton::none, -2};
  const Case cases[] = {
      {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20),
       Pointer(InputKind::buttonPress, PointerButton::left, 10, 20)},
      {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(11, 22),
       Pointer(InputKind::motion, PointerButton::none, 11, 22)},
      // Captured: beyond the area's left and top edges.
      {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, -7),
       Pointer(InputKind::motion, PointerButton::none, -5, -7)},
      {WM_LBUTTONUP, 0, MAKELPARAM(-5, -7),
       Pointer(InputKind::buttonRelease, PointerButton::left, -5, -7)},
      {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 40),
       Pointer(InputKind::buttonPress, PointerButton::right, 30, 40)},
      {WM_RBUTTONUP, 0, MAKELPARAM(30, 40),
       Pointer(InputKind::buttonRelease, PointerButton::right, 30, 40)},
      {WM_MBUTTONUP, 0, MAKELPARAM(1, 2),
       Pointer(InputKind::buttonRelease, PointerButton::middle, 1, 2)},
      {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), ScreenPosition(12, 34), wheelUp},
      // Parts of a notch add up to whole ones.
      {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), ScreenPosition(12, 34), std::nullopt},
      {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA * 3 / 2)),
       ScreenPosition(12, 34), wheelDown},
      {WM_KEYDOWN, VK_ESCAPE, 1, Key(InputKey::escape)},
      {WM_KEYDOWN, VK_BACK, 1, Key(InputKey::backspace)},
      {WM_KEYDOWN, VK_HOME, 1, Key(InputKey::home)},
      {WM_KEYDOWN, VK_LEFT, 1, Key(InputKey::left)},
      {WM_KEYDOWN, VK_RIGHT, 1, Key(InputKey::right)},
      {WM_KEYDOWN, VK_UP, 1, Key(InputKey::up)},
      {WM_KEYDOWN, VK_DOWN, 1, Key(InputKey::down)},
      // The key message's character, made by the message loop.
      {WM_KEYDOWN, 'S', 1 | scanCodeOfS, Key(InputKey::character, U's')},
      {WM_CHAR, 'Q', 1, Key(InputKey::character, U'Q')},
      {WM_KEYDOWN, VK_F5, 1, std::nullopt},
      {WM_CHAR, 0x13, 1, std::nullopt},  // Ctrl+S
  };
  for (const Case& sent : cases) {
    SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << sent.message << ", wParam 0x"
                                    << sent.wParam);
    ASSERT_NO_FATAL_FAILURE(Post(sent.message, sent.wParam, sent.lParam));
    EXPECT_EQ(QueuedEvents(*queue, sent.expected),
              sent.expected ? std::vector{Described(*sent.expected)} : std::vector<std::string>{});
    if (sent.message == WM_LBUTTONDOWN) {
      EXPECT_EQ(GetCapture(), area_) << "no capture in a drag";
    }
    if (sent.message == WM_LBUTTONUP) {
      EXPECT_EQ(GetCapture(), nullptr) << "capture kept after it";
    }
  }
}

TEST_F(GdiInputTest, WindowWithoutQueueIgnoresInputAndKeepsNoCapture) {
  ASSERT_NO_FATAL_FAILURE(Open(nullptr));
  EXPECT_NE(GetFocus(), area_) << "the frame kept the focus before";
  ASSERT_NO_FATAL_FAILURE(Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)));
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_NO_FATAL_FAILURE(Post(WM_KEYDOWN, VK_ESCAPE, 1));
  ASSERT_NO_FATAL_FAILURE(Post(WM_LBUTTONUP, 0, MAKELPARAM(10, 20)));
}

}  // namespace
}  // namespace graphics
