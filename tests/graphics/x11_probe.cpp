#include "x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

extern char** environ;

namespace graphics::testing {

struct X11Probe::Connection {
  Display* display = nullptr;
  Window root = 0;
};

namespace {

std::uint32_t ChannelOf(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const unsigned long maximum = mask >> shift;
  return static_cast<std::uint32_t>(((pixel & mask) >> shift) * 255 / maximum);
}

std::optional<Window> FindByName(Display* display, Window window, const std::string& caption) {
  char* name = nullptr;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    const bool match = caption == name;
    XFree(name);
    if (match) return window;
  }
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return std::nullopt;
  std::optional<Window> found;
  for (unsigned i = 0; i < count && !found; ++i) found = FindByName(display, children[i], caption);
  if (children != nullptr) XFree(children);
  return found;
}

PixelRect OnScreen(Display* display, Window window, Window root) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, window, &attributes);
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
  // The outer corner includes the border.
  x -= attributes.border_width;
  y -= attributes.border_width;
  return {x, y, x + attributes.width + 2 * attributes.border_width,
          y + attributes.height + 2 * attributes.border_width};
}

}  // namespace

std::unique_ptr<X11Probe> X11Probe::Connect(const std::string& displayName) {
  // Xvfb refuses connections for a moment when its queue is full: retry.
  Display* display = nullptr;
  for (int attempt = 0; attempt < 20 && display == nullptr; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  }
  if (display == nullptr) return nullptr;
  std::unique_ptr<X11Probe> probe(new X11Probe);
  probe->connection_ = std::make_unique<Connection>();
  probe->connection_->display = display;
  probe->connection_->root = DefaultRootWindow(display);
  return probe;
}

X11Probe::~X11Probe() {
  if (connection_ && connection_->display != nullptr) XCloseDisplay(connection_->display);
}

std::optional<WindowLayout> X11Probe::FindWindow(const std::string& caption) {
  Display* display = connection_->display;
  XSync(display, False);
  const auto frame = FindByName(display, connection_->root, caption);
  if (!frame) return std::nullopt;
  WindowLayout layout;
  layout.frame = *frame;
  layout.frameOnScreen = OnScreen(display, *frame, connection_->root);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, *frame, &root, &parent, &children, &count) != 0) {
    layout.areaCount = static_cast<int>(count);
    if (count > 0) layout.areaOnScreen = OnScreen(display, children[0], connection_->root);
    if (children != nullptr) XFree(children);
  }
  return layout;
}

std::optional<PixelRect> X11Probe::WindowOnScreen(unsigned long window) {
  Display* display = connection_->display;
  XSync(display, False);
  const auto previousHandler = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XWindowAttributes attributes{};
  const bool exists = XGetWindowAttributes(display, window, &attributes) != 0;
  XSetErrorHandler(previousHandler);
  if (!exists) return std::nullopt;
  return OnScreen(display, window, connection_->root);
}

bool X11Probe::WaitForWindow(const std::string& caption, bool present, int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    if (FindWindow(caption).has_value() == present) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

std::string X11Probe::TextProperty(unsigned long window, const char* name) {
  Display* display = connection_->display;
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False,
                         AnyPropertyType, &type, &format, &items, &after, &data) == Success &&
      data != nullptr) {
    if (format == 8) text.assign(reinterpret_cast<char*>(data), items);
    XFree(data);
  }
  return text;
}

std::vector<long> X11Probe::NumberProperty(unsigned long window, const char* name) {
  Display* display = connection_->display;
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> numbers;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False,
                         AnyPropertyType, &type, &format, &items, &after, &data) == Success &&
      data != nullptr) {
    if (format == 32) {
      const long* values = reinterpret_cast<const long*>(data);
      numbers.assign(values, values + items);
    }
    XFree(data);
  }
  return numbers;
}

std::vector<std::string> X11Probe::AtomProperty(unsigned long window, const char* name) {
  std::vector<std::string> names;
  for (const long atom : NumberProperty(window, name)) {
    char* atomName = XGetAtomName(connection_->display, static_cast<Atom>(atom));
    if (atomName != nullptr) {
      names.emplace_back(atomName);
      XFree(atomName);
    }
  }
  return names;
}

std::vector<ColorRef> X11Probe::Screenshot(PixelRect area) {
  Display* display = connection_->display;
  std::vector<ColorRef> colors;
  XImage* image = XGetImage(display, connection_->root, area.left, area.top,
                            static_cast<unsigned>(area.Width()), static_cast<unsigned>(area.Height()),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return colors;
  Visual* visual = DefaultVisual(display, DefaultScreen(display));
  colors.reserve(static_cast<std::size_t>(area.Width()) * static_cast<std::size_t>(area.Height()));
  for (int y = 0; y < area.Height(); ++y) {
    for (int x = 0; x < area.Width(); ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      colors.push_back(ComposeRgb(static_cast<int>(ChannelOf(pixel, visual->red_mask)),
                                  static_cast<int>(ChannelOf(pixel, visual->green_mask)),
                                  static_cast<int>(ChannelOf(pixel, visual->blue_mask))));
    }
  }
  XDestroyImage(image);
  return colors;
}

bool X11Probe::WaitForPicture(PixelRect area, const std::vector<ColorRef>& expected, int milliseconds,
                              std::vector<ColorRef>& last) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    last = Screenshot(area);
    if (last == expected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

void X11Probe::SendCloseRequest(unsigned long window) {
  Display* display = connection_->display;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

namespace {
bool xRequestRefused = false;
int NoteRefusal(Display*, XErrorEvent*) {
  xRequestRefused = true;
  return 0;
}
}  // namespace

bool X11Probe::CloseFromOutside(unsigned long window, const std::string& caption, CloseWay way) {
  Display* display = connection_->display;
  XSync(display, False);
  xRequestRefused = false;
  const auto previousHandler = XSetErrorHandler(NoteRefusal);
  XGrabServer(display);
  char* name = nullptr;
  const bool found = XFetchName(display, window, &name) != 0 && name != nullptr && caption == name;
  if (name != nullptr) XFree(name);
  if (found && way == CloseWay::request) SendCloseRequest(window);
  if (found && way == CloseWay::destroy) XDestroyWindow(display, window);
  if (found && way == CloseWay::kill) XKillClient(display, window);
  XUngrabServer(display);
  XSync(display, False);
  XSetErrorHandler(previousHandler);
  return found && !xRequestRefused;
}

unsigned long X11Probe::Cover(PixelRect area, ColorRef color) {
  Display* display = connection_->display;
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  Visual* visual = DefaultVisual(display, DefaultScreen(display));
  const auto channel = [](std::uint32_t value, unsigned long mask) {
    return (static_cast<unsigned long>(value) * (mask >> std::countr_zero(mask)) / 255)
           << std::countr_zero(mask);
  };
  attributes.background_pixel = channel(RedOf(color), visual->red_mask) |
                                channel(GreenOf(color), visual->green_mask) |
                                channel(BlueOf(color), visual->blue_mask);
  const Window cover = XCreateWindow(display, connection_->root, area.left, area.top,
                                     static_cast<unsigned>(area.Width()), static_cast<unsigned>(area.Height()),
                                     0, CopyFromParent, InputOutput, CopyFromParent,
                                     CWOverrideRedirect | CWBackPixel, &attributes);
  XMapRaised(display, cover);
  XSync(display, False);
  return cover;
}

void X11Probe::RemoveCover(unsigned long cover) {
  XDestroyWindow(connection_->display, cover);
  XSync(connection_->display, False);
}

PrivateXServer::PrivateXServer() {
  int channel[2];
  if (pipe(channel) != 0) return;
  const std::string fd = std::to_string(channel[1]);
  const char* arguments[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "320x240x24",
                             "-nolisten", "tcp", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, channel[0]);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int failed = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(arguments), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(channel[1]);
  if (failed != 0) {
    pid_ = -1;
    close(channel[0]);
    return;
  }
  // Xvfb writes its display number once it accepts connections.
  std::string number;
  char byte = 0;
  while (read(channel[0], &byte, 1) == 1 && byte != '\n') number += byte;
  close(channel[0]);
  if (!number.empty()) displayName_ = ":" + number;
}

PrivateXServer::~PrivateXServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

void PrivateXServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace graphics::testing
