// A test's own view of an X display: a second connection that finds the
// program's windows by caption, reads their properties, takes screenshots
// and acts as the user (close button, covering window). Also a private X
// server that a test may kill.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/color.h"
#include "graphics/surface.h"

namespace graphics::testing {

// Where a top-level window and its drawing area are.
struct WindowLayout {
  unsigned long frame = 0;  // X window id of the frame
  PixelRect frameOnScreen;  // the frame's outer rectangle on the root window
  PixelRect areaOnScreen;   // the drawing area's rectangle on the root window
  int areaCount = 0;        // children of the frame
};

class X11Probe {
 public:
  // Null when the display cannot be reached.
  static std::unique_ptr<X11Probe> Connect(const std::string& displayName);
  ~X11Probe();

  // The top-level window whose WM_NAME is `caption`.
  std::optional<WindowLayout> FindWindow(const std::string& caption);
  // The outer rectangle of `window` on the root window; nothing when there
  // is no such window.
  std::optional<PixelRect> WindowOnScreen(unsigned long window);
  // Waits until the window with that caption exists (true) or gone (false).
  bool WaitForWindow(const std::string& caption, bool present, int milliseconds);

  // A property of the window as text (8-bit) or as numbers (32-bit).
  std::string TextProperty(unsigned long window, const char* name);
  std::vector<long> NumberProperty(unsigned long window, const char* name);
  // The atom names in a property of atoms (WM_PROTOCOLS).
  std::vector<std::string> AtomProperty(unsigned long window, const char* name);

  // The colours of a rectangle of the root window.
  std::vector<ColorRef> Screenshot(PixelRect area);
  // Waits until the screenshot of `area` equals `expected`; false after
  // `milliseconds`, with `last` holding the final screenshot.
  bool WaitForPicture(PixelRect area, const std::vector<ColorRef>& expected, int milliseconds,
                      std::vector<ColorRef>& last);

  // Sends WM_DELETE_WINDOW as a window manager does for the close button.
  void SendCloseRequest(unsigned long window);
  // How another program may close a window: the close request above, the
  // window destroyed by another client, or its client's connection killed.
  enum class CloseWay { request, destroy, kill };
  // Closes `window` that way if its WM_NAME is `caption`. The name is read
  // and the deed done with the server grabbed: the server hands out the ids
  // of a closed connection again, so a window made just after `window` was
  // destroyed can have its id. False when there is no such window or the
  // server refused.
  bool CloseFromOutside(unsigned long window, const std::string& caption, CloseWay way);
  // Maps a window of `color` over `area` (no window manager involved);
  // returns its id. RemoveCover unmaps and destroys it.
  unsigned long Cover(PixelRect area, ColorRef color);
  void RemoveCover(unsigned long cover);

 private:
  X11Probe() = default;
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

// An Xvfb of its own, for tests that kill the server under a window.
class PrivateXServer {
 public:
  // Starts Xvfb on a free display; empty name when it could not start.
  PrivateXServer();
  ~PrivateXServer();
  const std::string& DisplayName() const { return displayName_; }
  // Ends the server at once (SIGKILL) and reaps it.
  void Kill();

 private:
  pid_t pid_ = -1;
  std::string displayName_;
};

}  // namespace graphics::testing
