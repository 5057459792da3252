#include "console/windows/console_device.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <vector>

#include "console/console_key_event.h"

namespace console::windows {

namespace {

constexpr UINT formCodePage = 850;              // the form's labels are stored in it
constexpr DWORD screenOutputMode =              // processed output, wrap at end of line
    ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
constexpr DWORD rawInputMode = 0;               // no line input, no echo, Ctrl+C as a key
constexpr UINT noKeysExitCode = 1;              // as when there is no console for the form

// The device whose console the control handler hands back; one per process.
std::atomic<ConsoleDevice*> controlledDevice{nullptr};

BOOL WINAPI OnControlEvent(DWORD event) {
  ConsoleDevice* device = controlledDevice.load();
  if (device == nullptr) return FALSE;
  if (event == CTRL_C_EVENT) {
    device->QueueControlC();
    return TRUE;
  }
  // Ctrl+Break, the console window closed, log-off, shut-down: the system
  // ends the process once this returns.
  device->Release();
  return FALSE;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

COORD ToCoord(CellPosition position) {
  return {static_cast<SHORT>(position.column), static_cast<SHORT>(position.row)};
}

std::optional<CONSOLE_SCREEN_BUFFER_INFO> ScreenInfo(HANDLE screen) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(screen, &info)) return std::nullopt;
  return info;
}

CHAR_INFO ToCharInfo(Cell cell) {
  CHAR_INFO info{};
  info.Char.AsciiChar = static_cast<CHAR>(cell.character);
  info.Attributes = cell.attribute;
  return info;
}

ConsoleKeyEvent ToConsoleKeyEvent(const KEY_EVENT_RECORD& key) {
  return {key.bKeyDown != 0, static_cast<std::uint8_t>(key.uChar.AsciiChar),
          static_cast<std::uint8_t>(key.wVirtualScanCode & 0xFF),
          static_cast<std::uint32_t>(key.dwControlKeyState)};
}

}  // namespace

std::unique_ptr<ConsoleDevice> ConsoleDevice::Open() {
  HANDLE screen = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!IsConsole(screen)) screen = GetStdHandle(STD_ERROR_HANDLE);
  if (!IsConsole(screen)) return nullptr;
  HANDLE keys = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (keys == INVALID_HANDLE_VALUE) keys = nullptr;
  return std::unique_ptr<ConsoleDevice>(new ConsoleDevice(screen, keys));
}

ConsoleDevice::ConsoleDevice(void* screen, void* keys) : screen_(screen), keys_(keys) {
  DWORD mode = 0;
  if (keys_ != nullptr && GetConsoleMode(keys_, &mode)) saved_.inputMode = mode;
  if (GetConsoleMode(screen_, &mode)) saved_.outputMode = mode;
  saved_.outputCodePage = GetConsoleOutputCP();
  saved_.inputCodePage = GetConsoleCP();
  if (const auto info = ScreenInfo(screen_)) saved_.textAttribute = info->wAttributes;
  saved_.cursor = ReadCursorAppearance();

  SetConsoleMode(screen_, screenOutputMode);
  SetConsoleOutputCP(formCodePage);
  SetConsoleCP(formCodePage);
  if (keys_ != nullptr) {
    SetConsoleMode(keys_, rawInputMode);
    // Wine's console starts reading its terminal at the first look at the
    // queue; from then on the handle is signalled when keys wait.
    INPUT_RECORD first;
    DWORD waiting = 0;
    PeekConsoleInputA(keys_, &first, 1, &waiting);
  }
  controlledDevice.store(this);
  SetConsoleCtrlHandler(OnControlEvent, TRUE);
}

ConsoleDevice::~ConsoleDevice() {
  Release();
  SetConsoleCtrlHandler(OnControlEvent, FALSE);
  ConsoleDevice* self = this;
  controlledDevice.compare_exchange_strong(self, nullptr);
  if (keys_ != nullptr) CloseHandle(keys_);
}

void ConsoleDevice::Release() {
  if (released_.exchange(true)) return;
  // Best effort: whatever fails now can't be helped. The keyboard handle
  // stays open until the destructor, as the main thread may be reading.
  if (keys_ != nullptr) SetConsoleMode(keys_, saved_.inputMode);
  SetConsoleMode(screen_, saved_.outputMode);
  SetConsoleOutputCP(saved_.outputCodePage);
  SetConsoleCP(saved_.inputCodePage);
  SetConsoleTextAttribute(screen_, saved_.textAttribute);
  if (saved_.cursor) {
    const CONSOLE_CURSOR_INFO info{static_cast<DWORD>(saved_.cursor->size), saved_.cursor->visible};
    SetConsoleCursorInfo(screen_, &info);
  }
}

CellSize ConsoleDevice::BufferSize() {
  const auto info = ScreenInfo(screen_);
  if (!info) return {1, 1};
  return {std::max<int>(1, info->dwSize.X), std::max<int>(1, info->dwSize.Y)};
}

CellSize ConsoleDevice::WindowSize() {
  const auto info = ScreenInfo(screen_);
  if (!info) return {1, 1};
  const SMALL_RECT& window = info->srWindow;
  return {std::max(1, window.Right - window.Left + 1), std::max(1, window.Bottom - window.Top + 1)};
}

CellPosition ConsoleDevice::CursorPosition() {
  const auto info = ScreenInfo(screen_);
  if (!info) return {};
  return {info->dwCursorPosition.X, info->dwCursorPosition.Y};
}

void ConsoleDevice::SetCursorPosition(CellPosition position) {
  if (released_) return;
  const CellSize size = BufferSize();
  if (position.column < 0 || position.row < 0 || position.column >= size.columns ||
      position.row >= size.rows) {
    return;
  }
  SetConsoleCursorPosition(screen_, ToCoord(position));
}

void ConsoleDevice::WriteRowPiece(CellPosition at, std::string_view characters,
                                  std::uint8_t attribute) {
  if (released_) return;
  const CellSize size = BufferSize();
  if (at.row < 0 || at.row >= size.rows || at.column < 0 || at.column >= size.columns) return;
  const std::size_t room = static_cast<std::size_t>(size.columns - at.column);
  const std::size_t count = std::min(characters.size(), room);
  if (count == 0) return;
  std::vector<CHAR_INFO> cells(count);
  for (std::size_t i = 0; i < count; ++i) {
    cells[i] = ToCharInfo({static_cast<std::uint8_t>(characters[i]), attribute});
  }
  const COORD piece{static_cast<SHORT>(count), 1};
  SMALL_RECT target{static_cast<SHORT>(at.column), static_cast<SHORT>(at.row),
                    static_cast<SHORT>(at.column + static_cast<int>(count) - 1),
                    static_cast<SHORT>(at.row)};
  WriteConsoleOutputA(screen_, cells.data(), piece, COORD{0, 0}, &target);
}

void ConsoleDevice::FillCells(CellPosition from, int count, Cell cell) {
  if (released_ || count <= 0) return;
  DWORD written = 0;
  FillConsoleOutputCharacterA(screen_, static_cast<CHAR>(cell.character), static_cast<DWORD>(count),
                              ToCoord(from), &written);
  FillConsoleOutputAttribute(screen_, cell.attribute, static_cast<DWORD>(count), ToCoord(from),
                             &written);
}

void ConsoleDevice::FillAttributes(CellPosition from, int count, std::uint8_t attribute) {
  if (released_ || count <= 0) return;
  DWORD written = 0;
  FillConsoleOutputAttribute(screen_, attribute, static_cast<DWORD>(count), ToCoord(from), &written);
}

void ConsoleDevice::ScrollUp(Cell fill) {
  if (released_) return;
  const CellSize size = BufferSize();
  const SMALL_RECT moved{0, 1, static_cast<SHORT>(size.columns - 1), static_cast<SHORT>(size.rows - 1)};
  const CHAR_INFO blank = ToCharInfo(fill);
  if (size.rows > 1) {
    ScrollConsoleScreenBufferA(screen_, &moved, nullptr, COORD{0, 0}, &blank);
    return;
  }
  FillCells({0, 0}, size.columns, fill);  // a single row scrolls out entirely
}

void ConsoleDevice::SetTextAttribute(std::uint8_t attribute) {
  if (released_) return;
  SetConsoleTextAttribute(screen_, attribute);
}

std::optional<CursorAppearance> ConsoleDevice::ReadCursorAppearance() {
  CONSOLE_CURSOR_INFO info{};
  if (!GetConsoleCursorInfo(screen_, &info)) return std::nullopt;
  return CursorAppearance{static_cast<int>(info.dwSize), info.bVisible != 0};
}

void ConsoleDevice::SetCursorAppearance(CursorAppearance appearance) {
  if (released_) return;
  const CONSOLE_CURSOR_INFO info{static_cast<DWORD>(appearance.size), appearance.visible};
  SetConsoleCursorInfo(screen_, &info);
}

void ConsoleDevice::TakeArrivedKeys(std::deque<KeyPress>& queue) {
  if (released_ || keys_ == nullptr) return;
  // The handle is signalled while events wait: a cheap test, where a look
  // at the queue itself is a round trip to the console (a millisecond under
  // Wine, which would slow every step of the path run).
  if (WaitForSingleObject(keys_, 0) != WAIT_OBJECT_0) return;
  std::array<INPUT_RECORD, 64> events;
  for (;;) {
    DWORD waiting = 0;
    if (!PeekConsoleInputA(keys_, events.data(), static_cast<DWORD>(events.size()), &waiting) ||
        waiting == 0) {
      return;
    }
    DWORD read = 0;
    if (!ReadConsoleInputA(keys_, events.data(), waiting, &read) || read == 0) return;
    for (DWORD i = 0; i < read; ++i) {
      if (events[i].EventType != KEY_EVENT) continue;
      const KeyPress key = KeyPressOf(ToConsoleKeyEvent(events[i].Event.KeyEvent));
      if (key.kind != KeyKind::none) queue.push_back(key);
    }
  }
}

void ConsoleDevice::AwaitInput(std::chrono::milliseconds timeout) {
  const auto milliseconds = static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(
      timeout.count(), 0, INFINITE - 1));
  if (keys_ == nullptr) {
    // No key can ever come: the input has ended before it began. The form
    // cannot be filled in, so the program ends quietly, with the console as
    // it was.
    Release();
    ExitProcess(noKeysExitCode);
  }
  if (released_) {
    // Handed back (Ctrl+Break, the console closed): the system is ending the
    // process; nothing is read any more, and the wait only waits.
    Sleep(milliseconds);
    return;
  }
  WaitForSingleObject(keys_, milliseconds);
}

void ConsoleDevice::QueueControlC() {
  if (released_ || keys_ == nullptr) return;
  constexpr WORD virtualKeyC = 'C';
  constexpr WORD scanCodeC = 0x2E;
  std::array<INPUT_RECORD, 2> events{};
  for (std::size_t i = 0; i < events.size(); ++i) {
    events[i].EventType = KEY_EVENT;
    KEY_EVENT_RECORD& key = events[i].Event.KeyEvent;
    key.bKeyDown = i == 0;
    key.wRepeatCount = 1;
    key.wVirtualKeyCode = virtualKeyC;
    key.wVirtualScanCode = scanCodeC;
    key.uChar.AsciiChar = 3;
    key.dwControlKeyState = LEFT_CTRL_PRESSED;
  }
  DWORD written = 0;
  WriteConsoleInputA(keys_, events.data(), static_cast<DWORD>(events.size()), &written);
}

}  // namespace console::windows
