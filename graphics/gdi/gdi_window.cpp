#include "graphics/gdi/gdi_window.h"

#include <windows.h>
#include <windowsx.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "graphics/desktop_window.h"
#include "graphics/gdi/gdi_input.h"

namespace graphics::gdi {

namespace {

constexpr const char* frameClassName = "MagpendFrame";
constexpr const char* areaClassName = "MagpendDrawingArea";
constexpr int areaChildId = 0;

// A `Wake` from another thread, sent to the frame: the window system hands
// sent messages to the window procedure in every loop, its own modal loops
// included.
constexpr UINT wakeMessage = WM_APP + 1;
// The timer that keeps the loop's work going while a move or menu loop lasts.
constexpr UINT_PTR modalLoopTimer = 1;

// The frame: a pop-up with a thin border, a window menu and a
// minimise button, and a title bar with the caption (and with it the close
// button) unless the caption is empty. No maximise button, no sizing border.
// The frame never paints over its drawing area (whose pixels are the
// surface's), not even with its background when it is restored.
DWORD FrameStyle(const WindowSettings& settings) {
  DWORD style = WS_POPUP | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  if (!settings.caption.empty()) style |= WS_CAPTION;
  return style;
}

// A surface colour (red in the low byte) as a DIB pixel (blue in the low
// byte).
std::uint32_t ToDibPixel(ColorRef color) {
  return static_cast<std::uint32_t>(RedOf(color)) << 16 |
         static_cast<std::uint32_t>(GreenOf(color)) << 8 | BlueOf(color);
}

class GdiWindow final : public NativeWindow {
 public:
  GdiWindow(std::shared_ptr<const Surface> surface, std::shared_ptr<InputQueue> input)
      : surface_(std::move(surface)), input_(std::move(input)), threadId_(GetCurrentThreadId()) {}
  ~GdiWindow() override {
    Destroy();
    if (wake_ != nullptr) CloseHandle(wake_);
  }

  bool Create(const WindowSettings& settings);

  void Show() override;
  WindowEvent DispatchEvents() override;
  void Paint(PixelRect area) override;
  Activity WaitForActivity(std::chrono::microseconds timeout) override;
  void Wake() override;
  void Destroy() override;
  void SetModalLoopWork(std::function<void()> work) override { modalLoopWork_ = std::move(work); }

  static LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK AreaProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // The window's object, stored with it at creation.
  static GdiWindow* From(HWND window, UINT message, LPARAM lParam);

  void OnFrameClose() { closeRequested_ = true; }
  void OnFrameDestroyed() { frameGone_ = true; }
  void OnModalLoopEntered();
  void OnModalLoopLeft();
  void OnModalLoopTimer() { DoModalLoopWork(); }
  // The loop's own turn follows when the message came to it directly.
  void OnWake() {
    if (dispatchDepth_ > 0) DoModalLoopWork();
  }
  void OnAreaPaint();
  void OnAreaClick() { SetFocus(area_); }
  // The user's input, queued when the window was opened for it.
  void OnFrameFocus();
  void OnPointer(UINT message, LPARAM lParam);
  void OnWheel(WPARAM wParam, LPARAM lParam);
  void OnKeyDown(WPARAM virtualKey) { Queue(KeyDownEvent(virtualKey)); }
  void OnCharacter(WPARAM character) { Queue(CharacterEvent(character)); }
  // Queues a key event with the pointer's place when the key came.
  void Queue(std::optional<InputEvent> event);
  // A point on the screen in drawing-area pixels.
  POINT InArea(POINT onScreen) const;

  void DoModalLoopWork() {
    if (modalLoopWork_ && !frameGone_) modalLoopWork_();
  }

  // Copies `area` (inside the surface) onto the drawing area through `dc`.
  void CopySurface(HDC dc, PixelRect area);

  std::shared_ptr<const Surface> surface_;
  std::shared_ptr<InputQueue> input_;  // null: input is ignored
  WheelNotches wheel_;                 // the parts of a notch turned so far
  HWND frame_ = nullptr;               // the top-level window
  HWND area_ = nullptr;                // the drawing area, child of the frame
  HANDLE wake_ = nullptr;              // event that other threads set to wake the loop
  const DWORD threadId_;               // the window thread's
  std::atomic<HWND> wakeTarget_{nullptr};  // the frame while it exists (for Wake)
  std::function<void()> modalLoopWork_;    // the window thread's work in modal loops
  int modalLoops_ = 0;                 // move or menu loops running now
  int dispatchDepth_ = 0;              // > 0 while a message is being handled
  std::vector<std::uint32_t> pixels_;  // the part being copied, as DIB pixels
  bool closeRequested_ = false;        // the user asked to close
  bool frameGone_ = false;             // destroyed by someone else
};

// The classes are registered once per process, by whichever window thread
// comes first: exactly what call_once gives.
bool RegisterWindowClasses() {
  static bool registered = false;
  static std::once_flag once;
  std::call_once(once, [] {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA frameClass{};
    frameClass.cbSize = sizeof frameClass;
    frameClass.style = CS_HREDRAW | CS_VREDRAW;
    frameClass.lpfnWndProc = GdiWindow::FrameProcedure;
    frameClass.hInstance = instance;
    frameClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    frameClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    frameClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frameClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    frameClass.lpszClassName = frameClassName;

    // The area paints every pixel itself: no background to erase first.
    WNDCLASSEXA areaClass{};
    areaClass.cbSize = sizeof areaClass;
    areaClass.lpfnWndProc = GdiWindow::AreaProcedure;
    areaClass.hInstance = instance;
    areaClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    areaClass.lpszClassName = areaClassName;
    registered = RegisterClassExA(&frameClass) != 0 && RegisterClassExA(&areaClass) != 0;
  });
  return registered;
}

GdiWindow* GdiWindow::From(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  return reinterpret_cast<GdiWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK GdiWindow::FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  GdiWindow* self = From(window, message, lParam);
  if (self != nullptr) {
    switch (message) {
      case WM_CLOSE: self->OnFrameClose(); return 0;
      case WM_DESTROY: self->OnFrameDestroyed(); return 0;
      case WM_ENTERSIZEMOVE:
      case WM_ENTERMENULOOP: self->OnModalLoopEntered(); return 0;
      case WM_EXITSIZEMOVE:
      case WM_EXITMENULOOP: self->OnModalLoopLeft(); return 0;
      case WM_TIMER:
        if (wParam != modalLoopTimer) break;
        self->OnModalLoopTimer();
        return 0;
      case wakeMessage: self->OnWake(); return 0;
      case WM_SETFOCUS: self->OnFrameFocus(); break;
      case WM_MOUSEWHEEL: self->OnWheel(wParam, lParam); return 0;
      default: break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK GdiWindow::AreaProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  GdiWindow* self = From(window, message, lParam);
  if (self != nullptr) {
    switch (message) {
      case WM_PAINT: self->OnAreaPaint(); return 0;
      case WM_ERASEBKGND: return 1;  // the paint covers it
      case WM_LBUTTONDOWN:
        self->OnAreaClick();
        self->OnPointer(message, lParam);
        return 0;
      case WM_LBUTTONUP:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_MOUSEMOVE: self->OnPointer(message, lParam); return 0;
      case WM_MOUSEWHEEL: self->OnWheel(wParam, lParam); return 0;
      case WM_KEYDOWN: self->OnKeyDown(wParam); break;
      case WM_CHAR: self->OnCharacter(wParam); break;
      default: break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool GdiWindow::Create(const WindowSettings& settings) {
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (wake_ == nullptr || !RegisterWindowClasses()) return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  frame_ = CreateWindowExA(0, frameClassName, settings.caption.c_str(), FrameStyle(settings),
                           settings.x, settings.y, settings.width, settings.height, nullptr, nullptr,
                           instance, this);
  if (frame_ == nullptr) return false;
  wakeTarget_.store(frame_);

  // The frame's decoration comes on top of the drawing area's size; its
  // outer corner stays where it was asked for.
  RECT outer{};
  RECT client{};
  GetWindowRect(frame_, &outer);
  GetClientRect(frame_, &client);
  const int decorationWidth = (outer.right - outer.left) - (client.right - client.left);
  const int decorationHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
  SetWindowPos(frame_, nullptr, 0, 0, settings.width + decorationWidth,
               settings.height + decorationHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);

  area_ = CreateWindowExA(0, areaClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, settings.width,
                          settings.height, frame_, reinterpret_cast<HMENU>(areaChildId), instance,
                          this);
  return area_ != nullptr;
}

void GdiWindow::Show() {
  ShowWindow(frame_, SW_SHOW);
  if (input_) SetFocus(area_);  // keys go to the drawing area from the start
  // Paints the frame and the area at once, so the window is shown with the
  // surface's pixels when the program first draws.
  RedrawWindow(frame_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void GdiWindow::Wake() {
  SetEvent(wake_);
  // The event ends the loop's own waits; the message reaches the window
  // procedure also while a loop of the window system's runs.
  HWND frame = wakeTarget_.load();
  if (frame != nullptr && GetCurrentThreadId() != threadId_) {
    SendNotifyMessageA(frame, wakeMessage, 0, 0);
  }
}

// The classic frame with one child: the focus the frame gets goes on to its
// drawing area, whose window procedure reads the keys. Without input the
// frame keeps it, as the form's runs always had it.
void GdiWindow::OnFrameFocus() {
  if (input_) SetFocus(area_);
}

// A drag holds the pointer: the area hears the release also when the
// pointer left it or the window, as Windows programs capture the mouse
// between a button's press and its release.
void GdiWindow::OnPointer(UINT message, LPARAM lParam) {
  if (!input_) return;
  if (message == WM_LBUTTONDOWN) SetCapture(area_);
  if (message == WM_LBUTTONUP) ReleaseCapture();
  if (const auto event = PointerEvent(message, lParam)) input_->Push(*event);
}

// The wheel's message tells the pointer's place on the screen, not in the
// window that hears it (the area or, when it has the focus, the frame).
void GdiWindow::OnWheel(WPARAM wParam, LPARAM lParam) {
  if (!input_) return;
  const int notches = wheel_.Add(GET_WHEEL_DELTA_WPARAM(wParam));
  if (notches == 0) return;
  const POINT at = InArea({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  InputEvent event;
  event.kind = InputKind::wheel;
  event.x = at.x;
  event.y = at.y;
  event.wheelSteps = notches;
  input_->Push(event);
}

void GdiWindow::Queue(std::optional<InputEvent> event) {
  if (!input_ || !event) return;
  const DWORD position = GetMessagePos();
  const POINT at = InArea({GET_X_LPARAM(position), GET_Y_LPARAM(position)});
  event->x = at.x;
  event->y = at.y;
  input_->Push(*event);
}

POINT GdiWindow::InArea(POINT onScreen) const {
  ScreenToClient(area_, &onScreen);
  return onScreen;
}

void GdiWindow::OnModalLoopEntered() {
  if (modalLoops_++ == 0) SetTimer(frame_, modalLoopTimer, USER_TIMER_MINIMUM, nullptr);
  DoModalLoopWork();
}

void GdiWindow::OnModalLoopLeft() {
  if (modalLoops_ > 0 && --modalLoops_ == 0) KillTimer(frame_, modalLoopTimer);
}

WindowEvent GdiWindow::DispatchEvents() {
  MSG message;
  while (!frameGone_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    ++dispatchDepth_;
    DispatchMessageA(&message);
    --dispatchDepth_;
  }
  if (frameGone_) return WindowEvent::vanished;
  if (closeRequested_) return WindowEvent::closeRequested;
  return WindowEvent::none;
}

void GdiWindow::CopySurface(HDC dc, PixelRect area) {
  const PixelRect visible = area.IntersectedWith(surface_->Bounds());
  if (visible.IsEmpty()) return;
  const auto width = static_cast<std::size_t>(visible.Width());
  pixels_.resize(width * static_cast<std::size_t>(visible.Height()));
  surface_->ReadArea(visible, [&](std::int32_t x, std::int32_t y, const ColorRef* pixels,
                                  std::int32_t count) {
    std::uint32_t* row = pixels_.data() + static_cast<std::size_t>(y - visible.top) * width +
                         static_cast<std::size_t>(x - visible.left);
    for (std::int32_t i = 0; i < count; ++i) row[i] = ToDibPixel(pixels[i]);
  });
  // A top-down DIB of exactly the part copied.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = visible.Width();
  info.bmiHeader.biHeight = -visible.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, visible.left, visible.top, static_cast<DWORD>(visible.Width()),
                    static_cast<DWORD>(visible.Height()), 0, 0, 0,
                    static_cast<UINT>(visible.Height()), pixels_.data(), &info, DIB_RGB_COLORS);
}

void GdiWindow::OnAreaPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(area_, &paint);
  const RECT& asked = paint.rcPaint;
  CopySurface(dc, {asked.left, asked.top, asked.right, asked.bottom});
  EndPaint(area_, &paint);
}

void GdiWindow::Paint(PixelRect area) {
  if (area_ == nullptr || frameGone_) return;
  HDC dc = GetDC(area_);
  if (dc == nullptr) return;
  CopySurface(dc, area);
  ReleaseDC(area_, dc);
  GdiFlush();
}

Activity GdiWindow::WaitForActivity(std::chrono::microseconds timeout) {
  DWORD milliseconds = INFINITE;
  if (timeout != untilActivity) {
    milliseconds = static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(timeout).count());
  }
  const DWORD result =
      MsgWaitForMultipleObjectsEx(1, &wake_, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  return result == WAIT_TIMEOUT ? Activity::none : Activity::arrived;
}

void GdiWindow::Destroy() {
  wakeTarget_.store(nullptr);
  if (frame_ != nullptr && !frameGone_) {
    // A move or menu loop running now ends first.
    if (modalLoops_ > 0) SendMessageA(frame_, WM_CANCELMODE, 0, 0);
    DestroyWindow(frame_);  // the area goes with it
  }
  frame_ = nullptr;
  area_ = nullptr;
}

}  // namespace

std::unique_ptr<NativeWindow> MakeGdiWindow(const WindowSettings& settings,
                                            std::shared_ptr<const Surface> surface) {
  auto window = std::make_unique<GdiWindow>(std::move(surface), settings.input);
  if (!window->Create(settings)) return nullptr;  // the destructor releases what was made
  return window;
}

}  // namespace graphics::gdi

namespace graphics::desktop {

// Win32 windows need no preparation for threads.
void PrepareWindowSystem() {}

std::unique_ptr<NativeWindow> MakeDesktopWindow(const WindowSettings& settings,
                                                std::shared_ptr<const Surface> surface) {
  return gdi::MakeGdiWindow(settings, std::move(surface));
}

}  // namespace graphics::desktop
