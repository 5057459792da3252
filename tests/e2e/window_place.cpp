// Where a window is, for the end-to-end scripts: window_place WINDOW-ID
// prints "WxH+X+Y", the window's outer size and its corner on the screen.
// Exit status 1 when there is no such window, 2 without a display.
#include <cstdio>
#include <cstdlib>

#include "tests/graphics/x11_probe.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const auto probe = graphics::testing::X11Probe::Connect("");
  if (!probe) return 2;
  const auto place = probe->WindowOnScreen(std::strtoul(argv[1], nullptr, 0));
  if (!place) return 1;
  std::printf("%dx%d+%d+%d\n", place->Width(), place->Height(), place->left, place->top);
  return 0;
}
