// A test fixture on the offscreen window system: every test starts without
// windows and ends with all of them closed and their threads joined.
#pragma once

#include <gtest/gtest.h>

#include "graphics/graphic_window.h"
#include "tests/support/offscreen_inspection.h"
#include "graphics/window_system.h"
#include "runtime/error.h"

namespace graphics {

class OffscreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    offscreen::SelectInspectedWindows();
    runtime::ClearError();
  }
  void TearDown() override { ShutdownWindowSystem(); }

  // Opens an 800 x 600 window, attaches it and sets the program's scale.
  WindowHandle OpenProgramWindow(const runtime::Text& caption) {
    const WindowHandle window = OpenGraphicWindow(caption, 100, 100, 800, 600);
    AttachGraphicWindow(window);
    SetGraphicScale(-200, 150, 200, -150);
    return window;
  }

  static offscreen::WindowImage Inspect(const runtime::Text& caption) {
    auto image = offscreen::InspectOffscreenWindow(caption);
    EXPECT_TRUE(image.has_value()) << caption;
    return image.value_or(offscreen::WindowImage{});
  }
};

}  // namespace graphics
