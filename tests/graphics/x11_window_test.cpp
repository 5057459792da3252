// Real X11 windows on the display of $DISPLAY (Xvfb in the test script,
// without a window manager: there is no decoration to see, so the frame's
// outer corner is the drawing area's corner). Fails, not skips, when no
// display can be reached.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "graphics/drawing.h"
#include "graphics/graphic_window.h"
#include "tests/support/offscreen_inspection.h"
#include "graphics/window_registry.h"
#include "graphics/window_system.h"
#include "runtime/error.h"
#include "x11_probe.h"

namespace graphics {
namespace {

using testing::X11Probe;

constexpr ColorRef red = 0x000000FF;
constexpr ColorRef green = 0x0000BF00;
constexpr ColorRef blue = 0x00FF0000;
constexpr ColorRef yellow = 0x0000FFFF;
constexpr int patience = 3000;  // milliseconds for the server to show a change

// DISPLAY set to `name` (unset for none) while it lives: the windows opened
// meanwhile connect there. Only while no other thread reads the environment.
class DisplayVariable {
 public:
  explicit DisplayVariable(const std::optional<std::string>& name) {
    if (const char* value = std::getenv("DISPLAY")) saved_ = value;
    Set(name);
  }
  ~DisplayVariable() { Set(saved_); }
  DisplayVariable(const DisplayVariable&) = delete;
  DisplayVariable& operator=(const DisplayVariable&) = delete;

 private:
  static void Set(const std::optional<std::string>& name) {
    if (name) {
      setenv("DISPLAY", name->c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }
  std::optional<std::string> saved_;
};

// The drawing the picture tests make: figures of every kind.
void DrawSampleFigures() {
  DrawGraphicBox(-3, -3, 3, 3, ellipseCorners, red, UseForeground);
  DrawGraphicBox(130, 144, 170, 90, squareCorners, blue, blue);
  DrawGraphicBox(-150, 100, -50, 20, RoundedCorners(30), green, yellow, FillPattern::cross);
  SetGraphicPosition(150, 140);
  DrawGraphicLine(-150, -140, UseForeground);
  SetGraphicPixel(-50, 50, yellow);
}

class X11WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    probe_ = X11Probe::Connect("");
    ASSERT_NE(probe_, nullptr) << "The X11 window tests need a reachable X display; DISPLAY is \""
                               << (display != nullptr ? display : "(unset)") << "\"";
    SelectWindowSystem(WindowSystemKind::desktop);
    runtime::ClearError();
  }
  void TearDown() override {
    ShutdownWindowSystem();
    SelectWindowSystem(WindowSystemKind::desktop);
  }

  // The surface the same drawing makes on an offscreen window.
  static std::vector<ColorRef> ExpectedPicture() {
    offscreen::SelectInspectedWindows();
    const WindowHandle window = OpenGraphicWindow("Expected", 0, 0, 800, 600);
    SelectWindowSystem(WindowSystemKind::desktop);
    AttachGraphicWindow(window);
    SetGraphicScale(-200, 150, 200, -150);
    DrawSampleFigures();
    CloseGraphicWindow();
    return offscreen::InspectOffscreenWindow("Expected")->surface;
  }

  std::unique_ptr<X11Probe> probe_;
};

TEST_F(X11WindowTest, WindowHasTheRequestedGeometryAndProperties) {
  ASSERT_NE(OpenGraphicWindow("Pendelweg", 100, 100, 800, 600), 0u);
  const auto layout = probe_->FindWindow("Pendelweg");
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->frameOnScreen.left, 100);
  EXPECT_EQ(layout->frameOnScreen.top, 100);
  EXPECT_EQ(layout->areaCount, 1);
  EXPECT_EQ(layout->areaOnScreen.left, 100);
  EXPECT_EQ(layout->areaOnScreen.top, 100);
  EXPECT_EQ(layout->areaOnScreen.Width(), 800);
  EXPECT_EQ(layout->areaOnScreen.Height(), 600);

  EXPECT_EQ(probe_->TextProperty(layout->frame, "_NET_WM_NAME"), "Pendelweg");
  EXPECT_EQ(probe_->TextProperty(layout->frame, "WM_CLASS"), std::string("magpend\0Magpend\0", 16));
  const auto protocols = probe_->AtomProperty(layout->frame, "WM_PROTOCOLS");
  EXPECT_NE(std::find(protocols.begin(), protocols.end(), "WM_DELETE_WINDOW"), protocols.end());
  // WM_NORMAL_HINTS: flags, x, y, width, height, min w/h, max w/h, ...
  const auto hints = probe_->NumberProperty(layout->frame, "WM_NORMAL_HINTS");
  ASSERT_GE(hints.size(), 9u);
  EXPECT_NE(hints[0] & 1, 0);  // USPosition
  EXPECT_EQ(hints[5], 800);
  EXPECT_EQ(hints[6], 600);
  EXPECT_EQ(hints[7], 800);
  EXPECT_EQ(hints[8], 600);
  // Motif hints: decorations with a title bar, no maximise function.
  const auto motif = probe_->NumberProperty(layout->frame, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_NE(motif[2] & 8, 0);
  EXPECT_EQ(motif[1] & 16, 0);
}

TEST_F(X11WindowTest, EmptyCaptionAsksForNoTitleBar) {
  ASSERT_NE(OpenGraphicWindow("", 10, 10, 50, 40), 0u);
  // Found through its class, as it has no name: the only frame with an empty WM_NAME.
  const auto layout = probe_->FindWindow("");
  ASSERT_TRUE(layout.has_value());
  const auto motif = probe_->NumberProperty(layout->frame, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[2] & 8, 0);
}

TEST_F(X11WindowTest, NewWindowShowsTheDialogFace) {
  ASSERT_NE(OpenGraphicWindow("Blank", 100, 100, 800, 600), 0u);
  std::vector<ColorRef> last;
  EXPECT_TRUE(probe_->WaitForPicture({100, 100, 900, 700}, std::vector<ColorRef>(800 * 600, dialogFaceColor),
                                     patience, last));
}

TEST_F(X11WindowTest, DrawingAppearsExactlyAndSurvivesCovering) {
  const auto expected = ExpectedPicture();
  const WindowHandle window = OpenGraphicWindow("Figures", 100, 100, 800, 600);
  ASSERT_NE(window, 0u);
  AttachGraphicWindow(window);
  SetGraphicScale(-200, 150, 200, -150);
  DrawSampleFigures();

  const PixelRect area{100, 100, 900, 700};
  std::vector<ColorRef> shown;
  ASSERT_TRUE(probe_->WaitForPicture(area, expected, patience, shown));
  EXPECT_EQ(shown[300 * 800 + 396], red);
  EXPECT_EQ(shown[50 * 800 + 700], blue);

  const unsigned long cover = probe_->Cover({50, 50, 700, 500}, 0x00FF00FF);
  const auto covered = probe_->Screenshot(area);
  EXPECT_EQ(covered[0], 0x00FF00FFu);
  probe_->RemoveCover(cover);
  EXPECT_TRUE(probe_->WaitForPicture(area, expected, patience, shown));
}

TEST_F(X11WindowTest, CloseButtonEndsTheWindowAndLaterDrawingDoesNothing) {
  const WindowHandle window = OpenGraphicWindow("Closing", 100, 100, 200, 100);
  ASSERT_NE(window, 0u);
  AttachGraphicWindow(window);
  const auto layout = probe_->FindWindow("Closing");
  ASSERT_TRUE(layout.has_value());
  probe_->SendCloseRequest(layout->frame);
  EXPECT_TRUE(probe_->WaitForWindow("Closing", false, patience));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (WindowRegistry::Count() != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(WindowRegistry::Count(), 0u);
  for (int i = 0; i < 200; ++i) DrawGraphicBox(0, 0, 50, 50, squareCorners, red, red);
  CloseGraphicWindow();
  EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::none);
}

TEST_F(X11WindowTest, CloseFromTheProgramRemovesTheWindow) {
  const WindowHandle window = OpenGraphicWindow("Program close", 100, 100, 200, 100);
  AttachGraphicWindow(window);
  ASSERT_TRUE(probe_->FindWindow("Program close").has_value());
  CloseGraphicWindow();
  EXPECT_EQ(WindowRegistry::Count(), 0u);
  EXPECT_TRUE(probe_->WaitForWindow("Program close", false, patience));
}

TEST_F(X11WindowTest, NoDisplayMeansNoWindow) {
  {
    const DisplayVariable noServer(":97531");
    EXPECT_EQ(OpenGraphicWindow("Nowhere", 0, 0, 100, 100), 0u);
    ShutdownWindowSystem();
  }
  WindowHandle window = 0;
  {
    const DisplayVariable unset(std::nullopt);
    window = OpenGraphicWindow("Nowhere", 0, 0, 100, 100);
    ShutdownWindowSystem();
  }
  EXPECT_EQ(window, 0u);
  AttachGraphicWindow(window);
  EXPECT_EQ(runtime::CurrentError(), runtime::ErrorNumber::invalidArgument);
  DrawGraphicBox(0, 0, 5, 5, squareCorners, red, red);
  CloseGraphicWindow();
}

TEST_F(X11WindowTest, ServerDeathCountsAsTheWindowDestroyed) {
  testing::PrivateXServer server;
  ASSERT_FALSE(server.DisplayName().empty()) << "could not start a private Xvfb";
  WindowHandle window = 0;
  {
    const DisplayVariable privateServer(server.DisplayName());
    window = OpenGraphicWindow("Doomed", 10, 10, 200, 150);
  }
  ASSERT_NE(window, 0u);
  AttachGraphicWindow(window);
  for (int i = 0; i < 300; ++i) SetGraphicPixel(i % 200, i % 150, red);
  server.Kill();
  // The program keeps drawing; the window thread notices and ends.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int operation = 0;
  while (WindowRegistry::Count() != 0 && std::chrono::steady_clock::now() < deadline) {
    DrawGraphicBox(0, 0, static_cast<float>(operation % 50), 30, squareCorners, red, blue);
    ++operation;
  }
  EXPECT_EQ(WindowRegistry::Count(), 0u);
  CloseGraphicWindow();
  // And windows on the real display still work.
  EXPECT_NE(OpenGraphicWindow("After", 0, 0, 50, 50), 0u);
}

}  // namespace
}  // namespace graphics
