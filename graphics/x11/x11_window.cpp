#include "graphics/x11/x11_window.h"

#include "graphics/desktop_window.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <bit>
#include <csetjmp>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace graphics::x11 {

namespace {

// Set by the protocol error handler, which runs on the thread that reads
// the error (each connection is used by its own window thread only).
thread_local bool protocolErrorSeen = false;

int IgnoreProtocolError(Display*, XErrorEvent*) {
  protocolErrorSeen = true;
  return 0;
}

// A connection that dies inside XOpenDisplay (after the server's setup
// reply, while Xlib asks its first questions) has no exit handler of ours
// yet: Xlib's default one would end the process. While this thread opens a
// connection, the I/O error handler therefore jumps back to the opening
// instead of returning; what died is noted here.
thread_local std::jmp_buf* openingEscape = nullptr;
thread_local Display* lostWhileOpening = nullptr;

// Process-wide I/O error handler: says nothing; out of an opening it jumps
// back (only Xlib's frames lie between), otherwise it returns and the
// connection's exit handler decides what happens next.
int OnConnectionError(Display* display) {
  if (openingEscape != nullptr) {
    lostWhileOpening = display;
    std::longjmp(*openingEscape, 1);
  }
  return 0;
}

void KeepGoing(Display*, void*) {}

// Frees a display whose connection died inside XOpenDisplay. XCloseDisplay
// sends requests of its own to free the screens' default graphics contexts,
// which only works once XOpenDisplay has made them all; before that the
// dead connection's socket is closed and the rest, a few kilobytes, is left.
void ReleaseLostWhileOpening(Display* display) {
  for (int screen = 0; screen < ScreenCount(display); ++screen) {
    if (DefaultGC(display, screen) == nullptr) {
      close(ConnectionNumber(display));
      return;
    }
  }
  XSetIOErrorExitHandler(display, KeepGoing, nullptr);
  XCloseDisplay(display);
}

// XOpenDisplay while its way back is set.
Display* OpenWithEscapeSet(const char* name) {
  Display* const display = XOpenDisplay(name);
  openingEscape = nullptr;
  return display;
}

// XOpenDisplay, surviving a connection that dies inside it (null then).
// Sanitized builds do not count as leaks what such a connection leaves
// behind in the frames that are jumped over.
Display* OpenDisplayOnce(const char* name) {
#if defined(__SANITIZE_ADDRESS__)
  const __lsan::ScopedDisabler leftBehindIsNoLeak;
#endif
  std::jmp_buf escape;
  openingEscape = &escape;
  if (setjmp(escape) != 0) {
    openingEscape = nullptr;
    ReleaseLostWhileOpening(lostWhileOpening);
    return nullptr;
  }
  return OpenWithEscapeSet(name);
}

// Opens a connection to $DISPLAY. A busy X server refuses connections for a
// moment when its queue of waiting ones is full, so a refused connection is
// tried again a few times, 10 ms apart (Xlib offers nothing to wait on
// before a connection exists); with no display named at all there is
// nothing to retry.
Display* ConnectToDisplay() {
  constexpr int attempts = 10;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    Display* display = OpenDisplayOnce(nullptr);
    if (display != nullptr) return display;
    if (XDisplayName(nullptr)[0] == '\0') return nullptr;
    if (attempt < attempts) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

// The Motif window-manager hints: which decorations and functions a frame
// gets. A fixed-size frame: no maximise and no resize; no title bar (and so
// no close button) when the caption is empty.
struct MotifHints {
  long flags;
  long functions;
  long decorations;
  long inputMode;
  long status;
};
constexpr long motifHintFunctions = 1L << 0;
constexpr long motifHintDecorations = 1L << 1;
constexpr long motifFunctionMove = 1L << 2;
constexpr long motifFunctionMinimize = 1L << 3;
constexpr long motifFunctionClose = 1L << 5;
constexpr long motifDecorBorder = 1L << 1;
constexpr long motifDecorTitle = 1L << 3;
constexpr long motifDecorMenu = 1L << 4;
constexpr long motifDecorMinimize = 1L << 5;

MotifHints FrameDecoration(const runtime::Text& caption) {
  long decorations = motifDecorBorder | motifDecorMenu | motifDecorMinimize;
  if (!caption.empty()) decorations |= motifDecorTitle;
  return {motifHintFunctions | motifHintDecorations,
          motifFunctionMove | motifFunctionMinimize | motifFunctionClose, decorations, 0, 0};
}

// A colour channel (0-255) placed into a visual's channel mask.
unsigned long ChannelBits(std::uint32_t value, unsigned long mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const unsigned long maximum = mask >> shift;
  return ((value * maximum + 127) / 255) << shift;
}

class X11Window final : public NativeWindow {
 public:
  X11Window(std::shared_ptr<const Surface> surface, std::shared_ptr<InputQueue> input)
      : surface_(std::move(surface)), input_(std::move(input)) {}
  ~X11Window() override {
    Destroy();
    if (wakeFd_ >= 0) close(wakeFd_);
  }

  bool Create(const WindowSettings& settings);

  // Maps the frame and waits for the drawing area's first exposure.
  void Show() override;

  WindowEvent DispatchEvents() override;
  void Paint(PixelRect area) override;
  Activity WaitForActivity(std::chrono::microseconds timeout) override;

  void Wake() override {
    const std::uint64_t one = 1;
    if (write(wakeFd_, &one, sizeof one) < 0) {
      // The counter is full: the window thread is awake anyway.
    }
  }

  void Destroy() override;

  // Called by Xlib when the connection has died.
  static void OnConnectionLost(Display*, void* window) {
    static_cast<X11Window*>(window)->connectionLost_ = true;
  }

 private:
  using EventHandler = void (X11Window::*)(const XEvent&);
  static const std::array<EventHandler, LASTEvent>& EventHandlers();

  void OnExpose(const XEvent& event);
  void OnClientMessage(const XEvent& event);
  void OnDestroyNotify(const XEvent& event);
  void OnButtonPress(const XEvent& event);
  void OnButtonRelease(const XEvent& event);
  void OnMotion(const XEvent& event);
  void OnKeyPress(const XEvent& event);

  // Handles every event that is already there.
  void HandlePendingEvents();
  bool Gone() const { return connectionLost_ || frameGone_; }
  // Waits up to `timeout` for the connection to have something to read.
  Activity WaitForConnection(std::chrono::milliseconds timeout);

  void SetFrameProperties(const WindowSettings& settings);
  bool MakeImage(Visual* visual, int depth);
  unsigned long ToXPixel(ColorRef color) const {
    return redBits_[RedOf(color)] | greenBits_[GreenOf(color)] | blueBits_[BlueOf(color)];
  }
  void ConvertRow(std::int32_t x, std::int32_t y, const ColorRef* pixels, std::int32_t count);

  std::shared_ptr<const Surface> surface_;
  std::shared_ptr<InputQueue> input_;  // where the user's input goes; null: ignored
  Display* display_ = nullptr;  // this window's own connection
  Window frame_ = 0;            // the top-level window
  Window area_ = 0;             // the drawing area, child of the frame
  GC gc_ = nullptr;
  XImage* image_ = nullptr;             // describes imagePixels_ to Xlib
  std::vector<std::uint32_t> imagePixels_;  // the surface in the display's pixel format
  bool directPixels_ = false;           // 32-bit little-endian pixels: written directly
  std::array<unsigned long, 256> redBits_{};
  std::array<unsigned long, 256> greenBits_{};
  std::array<unsigned long, 256> blueBits_{};
  Atom wmProtocols_ = 0;
  Atom wmDeleteWindow_ = 0;
  int wakeFd_ = -1;               // eventfd that other threads write to wake the loop
  PixelRect exposed_;             // exposed parts not painted yet
  bool connectionLost_ = false;   // set by Xlib's exit handler
  bool frameGone_ = false;        // destroyed by someone else
  bool closeRequested_ = false;   // the user asked to close
  bool areaExposed_ = false;      // the drawing area has been shown
};

const std::array<X11Window::EventHandler, LASTEvent>& X11Window::EventHandlers() {
  static const std::array<EventHandler, LASTEvent> handlers = [] {
    std::array<EventHandler, LASTEvent> table{};
    table[Expose] = &X11Window::OnExpose;
    table[ClientMessage] = &X11Window::OnClientMessage;
    table[DestroyNotify] = &X11Window::OnDestroyNotify;
    table[ButtonPress] = &X11Window::OnButtonPress;
    table[ButtonRelease] = &X11Window::OnButtonRelease;
    table[MotionNotify] = &X11Window::OnMotion;
    table[KeyPress] = &X11Window::OnKeyPress;
    return table;
  }();
  return handlers;
}

bool X11Window::Create(const WindowSettings& settings) {
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd_ < 0) return false;
  display_ = ConnectToDisplay();
  if (display_ == nullptr) return false;
  XSetIOErrorExitHandler(display_, &X11Window::OnConnectionLost, this);
  protocolErrorSeen = false;

  const int screen = DefaultScreen(display_);
  Visual* visual = DefaultVisual(display_, screen);
  const int depth = DefaultDepth(display_, screen);
  if (visual->c_class != TrueColor) return false;
  for (std::uint32_t value = 0; value < 256; ++value) {
    redBits_[value] = ChannelBits(value, visual->red_mask);
    greenBits_[value] = ChannelBits(value, visual->green_mask);
    blueBits_[value] = ChannelBits(value, visual->blue_mask);
  }

  const auto width = static_cast<unsigned>(settings.width);
  const auto height = static_cast<unsigned>(settings.height);
  XSetWindowAttributes frameAttributes{};
  frameAttributes.background_pixel = WhitePixel(display_, screen);
  // Input is asked for only when someone reads it.
  constexpr long inputMask = ButtonReleaseMask | PointerMotionMask | KeyPressMask;
  frameAttributes.event_mask = StructureNotifyMask | (input_ ? KeyPressMask : 0);
  frame_ = XCreateWindow(display_, RootWindow(display_, screen), settings.x, settings.y, width,
                         height, 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWBackPixel | CWEventMask, &frameAttributes);
  SetFrameProperties(settings);

  // The area's own background is the surface's first colour, so even the
  // instant before the first paint shows no other colour.
  XSetWindowAttributes areaAttributes{};
  areaAttributes.background_pixel = ToXPixel(dialogFaceColor);
  areaAttributes.event_mask = ExposureMask | ButtonPressMask | (input_ ? inputMask : 0);
  area_ = XCreateWindow(display_, frame_, 0, 0, width, height, 0, CopyFromParent, InputOutput,
                        CopyFromParent, CWBackPixel | CWEventMask, &areaAttributes);
  XMapWindow(display_, area_);
  gc_ = XCreateGC(display_, area_, 0, nullptr);
  if (!MakeImage(visual, depth)) return false;
  XSync(display_, False);
  return !protocolErrorSeen && !connectionLost_;
}

void X11Window::SetFrameProperties(const WindowSettings& settings) {
  XStoreName(display_, frame_, settings.caption.c_str());
  const std::string title = CaptionAsUtf8(settings.caption);
  XChangeProperty(display_, frame_, XInternAtom(display_, "_NET_WM_NAME", False),
                  XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));

  std::string resourceName = "magpend";
  std::string resourceClass = "Magpend";
  XClassHint classHint{resourceName.data(), resourceClass.data()};
  XSetClassHint(display_, frame_, &classHint);

  // Fixed size at a position the user (program) chose.
  XSizeHints sizeHints{};
  sizeHints.flags = USPosition | USSize | PMinSize | PMaxSize | PWinGravity;
  sizeHints.x = settings.x;
  sizeHints.y = settings.y;
  sizeHints.width = sizeHints.min_width = sizeHints.max_width = settings.width;
  sizeHints.height = sizeHints.min_height = sizeHints.max_height = settings.height;
  sizeHints.win_gravity = NorthWestGravity;
  XSetWMNormalHints(display_, frame_, &sizeHints);

  XWMHints wmHints{};
  wmHints.flags = InputHint | StateHint;
  wmHints.input = True;
  wmHints.initial_state = NormalState;
  XSetWMHints(display_, frame_, &wmHints);

  wmProtocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
  wmDeleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display_, frame_, &wmDeleteWindow_, 1);

  const MotifHints motif = FrameDecoration(settings.caption);
  const Atom motifAtom = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
  XChangeProperty(display_, frame_, motifAtom, motifAtom, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&motif), 5);
}

bool X11Window::MakeImage(Visual* visual, int depth) {
  const auto width = static_cast<unsigned>(surface_->Width());
  const auto height = static_cast<unsigned>(surface_->Height());
  image_ = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr, width,
                        height, 32, 0);
  if (image_ == nullptr) return false;
  const std::size_t words = (static_cast<std::size_t>(image_->bytes_per_line) * height + 3) / 4;
  imagePixels_.assign(words, 0);
  image_->data = reinterpret_cast<char*>(imagePixels_.data());
  directPixels_ = image_->bits_per_pixel == 32 && image_->byte_order == LSBFirst;
  return true;
}

void X11Window::Show() {
  // Without a window manager the area shows at once; a window manager first
  // decorates the frame. One that never shows it does not hold the program.
  constexpr auto showBound = std::chrono::seconds(1);
  XMapRaised(display_, frame_);
  XFlush(display_);
  const auto deadline = std::chrono::steady_clock::now() + showBound;
  for (;;) {
    HandlePendingEvents();
    if (areaExposed_ || Gone()) return;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    WaitForConnection(left);
  }
}

void X11Window::HandlePendingEvents() {
  while (!Gone() && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    const EventHandler handler =
        event.type >= 0 && event.type < LASTEvent ? EventHandlers()[event.type] : nullptr;
    if (handler != nullptr) (this->*handler)(event);
  }
}

WindowEvent X11Window::DispatchEvents() {
  HandlePendingEvents();
  if (Gone()) return WindowEvent::vanished;
  if (closeRequested_) return WindowEvent::closeRequested;
  return WindowEvent::none;
}

void X11Window::OnExpose(const XEvent& event) {
  const XExposeEvent& expose = event.xexpose;
  if (expose.window != area_) return;
  areaExposed_ = true;
  exposed_ = exposed_.UnitedWith({expose.x, expose.y, expose.x + expose.width, expose.y + expose.height});
  if (expose.count > 0) return;  // more of the same exposure follows
  Paint(exposed_);
  exposed_ = {};
}

void X11Window::OnClientMessage(const XEvent& event) {
  const XClientMessageEvent& message = event.xclient;
  if (message.message_type == wmProtocols_ &&
      static_cast<Atom>(message.data.l[0]) == wmDeleteWindow_) {
    closeRequested_ = true;
  }
}

void X11Window::OnDestroyNotify(const XEvent& event) {
  if (event.xdestroywindow.window == frame_) frameGone_ = true;
}

// The pointer buttons as the input queue names them; the wheel's notches
// come as presses of buttons 4 (up) and 5 (down).
PointerButton ButtonOf(unsigned int button) {
  switch (button) {
    case Button1: return PointerButton::left;
    case Button2: return PointerButton::middle;
    case Button3: return PointerButton::right;
    default: return PointerButton::none;
  }
}

constexpr unsigned int wheelUpButton = 4;
constexpr unsigned int wheelDownButton = 5;

InputKey KeyOf(KeySym symbol) {
  switch (symbol) {
    case XK_Escape: return InputKey::escape;
    case XK_BackSpace: return InputKey::backspace;
    case XK_Home: case XK_KP_Home: return InputKey::home;
    case XK_Left: case XK_KP_Left: return InputKey::left;
    case XK_Right: case XK_KP_Right: return InputKey::right;
    case XK_Up: case XK_KP_Up: return InputKey::up;
    case XK_Down: case XK_KP_Down: return InputKey::down;
    default: return InputKey::none;
  }
}

void X11Window::OnButtonPress(const XEvent& event) {
  const XButtonEvent& button = event.xbutton;
  if (button.button == Button1) XSetInputFocus(display_, area_, RevertToParent, CurrentTime);
  if (!input_) return;
  if (button.button == wheelUpButton || button.button == wheelDownButton) {
    input_->Push({.kind = InputKind::wheel, .x = button.x, .y = button.y,
                  .wheelSteps = button.button == wheelUpButton ? 1 : -1});
    return;
  }
  input_->Push({.kind = InputKind::buttonPress, .x = button.x, .y = button.y, .button = ButtonOf(button.button)});
}

void X11Window::OnButtonRelease(const XEvent& event) {
  const XButtonEvent& button = event.xbutton;
  if (!input_ || ButtonOf(button.button) == PointerButton::none) return;
  input_->Push({.kind = InputKind::buttonRelease, .x = button.x, .y = button.y, .button = ButtonOf(button.button)});
}

void X11Window::OnMotion(const XEvent& event) {
  if (!input_) return;
  input_->Push({.kind = InputKind::motion, .x = event.xmotion.x, .y = event.xmotion.y});
}

void X11Window::OnKeyPress(const XEvent& event) {
  if (!input_) return;
  XKeyEvent key = event.xkey;
  char text[8] = {};
  KeySym symbol = NoSymbol;
  const int length = XLookupString(&key, text, sizeof text, &symbol, nullptr);
  InputEvent input{.kind = InputKind::key, .x = key.x, .y = key.y, .key = KeyOf(symbol)};
  if (input.key == InputKey::none) {
    const auto character = static_cast<unsigned char>(text[0]);
    if (length != 1 || character < 0x20 || character == 0x7F) return;  // no key the mode knows
    input.key = InputKey::character;
    input.character = character;  // Latin-1, as XLookupString gives it
  }
  input_->Push(input);
}

void X11Window::ConvertRow(std::int32_t x, std::int32_t y, const ColorRef* pixels, std::int32_t count) {
  if (directPixels_) {
    std::uint32_t* target = imagePixels_.data() +
                            static_cast<std::size_t>(y) * static_cast<std::size_t>(image_->bytes_per_line / 4) +
                            static_cast<std::size_t>(x);
    for (std::int32_t i = 0; i < count; ++i) target[i] = static_cast<std::uint32_t>(ToXPixel(pixels[i]));
    return;
  }
  for (std::int32_t i = 0; i < count; ++i) XPutPixel(image_, x + i, y, ToXPixel(pixels[i]));
}

void X11Window::Paint(PixelRect area) {
  if (display_ == nullptr || connectionLost_ || frameGone_) return;
  const PixelRect visible = area.IntersectedWith(surface_->Bounds());
  if (visible.IsEmpty()) return;
  surface_->ReadArea(visible, [this](std::int32_t x, std::int32_t y, const ColorRef* pixels,
                                     std::int32_t count) { ConvertRow(x, y, pixels, count); });
  XPutImage(display_, area_, gc_, image_, visible.left, visible.top, visible.left, visible.top,
            static_cast<unsigned>(visible.Width()), static_cast<unsigned>(visible.Height()));
  XFlush(display_);
}

Activity X11Window::WaitForConnection(std::chrono::milliseconds timeout) {
  pollfd watched{ConnectionNumber(display_), POLLIN, 0};
  return poll(&watched, 1, static_cast<int>(timeout.count())) > 0 ? Activity::arrived : Activity::none;
}

Activity X11Window::WaitForActivity(std::chrono::microseconds timeout) {
  std::array<pollfd, 2> watched{{{ConnectionNumber(display_), POLLIN, 0}, {wakeFd_, POLLIN, 0}}};
  const int milliseconds =
      timeout == untilActivity ? -1 : static_cast<int>((timeout.count() + 999) / 1000);
  if (poll(watched.data(), watched.size(), milliseconds) <= 0) return Activity::none;
  if (watched[1].revents & POLLIN) {
    std::uint64_t count = 0;
    if (read(wakeFd_, &count, sizeof count) < 0) {
      // Already drained: nothing to do.
    }
  }
  return Activity::arrived;
}

void X11Window::Destroy() {
  if (display_ == nullptr) return;
  if (image_ != nullptr) {
    image_->data = nullptr;  // the pixels belong to imagePixels_
    XDestroyImage(image_);
    image_ = nullptr;
  }
  // After a lost connection Xlib sends nothing more, but the GC's memory
  // is still ours to free.
  if (gc_ != nullptr) XFreeGC(display_, gc_);
  gc_ = nullptr;
  if (!connectionLost_) {
    if (frame_ != 0 && !frameGone_) XDestroyWindow(display_, frame_);
    XSync(display_, False);
  }
  frame_ = area_ = 0;
  XCloseDisplay(display_);
  display_ = nullptr;
}

}  // namespace

// XInitThreads must come once, before any other Xlib call, whichever thread
// gets there first: exactly what call_once gives.
void PrepareXlib() {
  static std::once_flag prepared;
  std::call_once(prepared, [] {
    XInitThreads();
    XSetErrorHandler(IgnoreProtocolError);
    XSetIOErrorHandler(OnConnectionError);
  });
}

namespace {

// A write to a connection whose server has died raises SIGPIPE, which
// would end the process. Blocked on the window thread (where all of its
// connection's writes happen), the write just fails and Xlib reports the
// lost connection.
void BlockBrokenPipeSignal() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

}  // namespace

std::unique_ptr<NativeWindow> MakeX11Window(const WindowSettings& settings,
                                            std::shared_ptr<const Surface> surface) {
  PrepareXlib();
  BlockBrokenPipeSignal();
  auto window = std::make_unique<X11Window>(std::move(surface), settings.input);
  if (!window->Create(settings)) return nullptr;  // the destructor releases what was made
  return window;
}

}  // namespace graphics::x11

namespace graphics::desktop {

void PrepareWindowSystem() { x11::PrepareXlib(); }

std::unique_ptr<NativeWindow> MakeDesktopWindow(const WindowSettings& settings,
                                                std::shared_ptr<const Surface> surface) {
  return x11::MakeX11Window(settings, std::move(surface));
}

}  // namespace graphics::desktop
