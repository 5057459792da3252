// Closes a window from outside for the end-to-end scripts, as another
// program would: close_window request|destroy|kill WINDOW-ID CAPTION.
//   request  the window manager's close request (WM_DELETE_WINDOW), as its
//            close button sends it;
//   destroy  the window destroyed by another client;
//   kill     the connection of the window's client killed.
// Only a window named CAPTION is closed. Exit status 0: done; 1: no window
// of that id and name, or the server refused; 2: no display or bad usage.
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/graphics/x11_probe.h"

using graphics::testing::X11Probe;

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  X11Probe::CloseWay way;
  if (std::strcmp(argv[1], "request") == 0) {
    way = X11Probe::CloseWay::request;
  } else if (std::strcmp(argv[1], "destroy") == 0) {
    way = X11Probe::CloseWay::destroy;
  } else if (std::strcmp(argv[1], "kill") == 0) {
    way = X11Probe::CloseWay::kill;
  } else {
    return 2;
  }
  const unsigned long window = std::strtoul(argv[2], nullptr, 0);
  const auto probe = X11Probe::Connect("");
  if (!probe) return 2;
  return probe->CloseFromOutside(window, argv[3], way) ? 0 : 1;
}
