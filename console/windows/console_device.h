// The real console on Windows: the console screen buffer holds the cells
// (written as row pieces with attributes, read back for sizes and the
// cursor), and the keys are the key events of the console's input queue,
// read from "CONIN$" in raw mode, so they come from the console even when
// standard input is redirected, with Ctrl+C as the key 3.
//
// The console's modes are a guard: the output code page is 850 while the
// program runs (the form's bytes show as umlauts), and the input mode, the
// output mode, both code pages, the text attribute and the cursor are handed
// back as they were found on every way out: Release, the destructor, and the
// console's Ctrl+Break, close, log-off and shut-down events (after which the
// system ends the process as usual). The cells stay as they are.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "console/cell_device.h"
#include "console/key_source.h"

namespace console::windows {

class ConsoleDevice final : public CellDevice, public KeySource {
 public:
  // The console of standard output when that is a console, else that of
  // standard error; keys from "CONIN$". None when neither standard output
  // nor standard error is a console.
  static std::unique_ptr<ConsoleDevice> Open();

  ~ConsoleDevice() override;
  ConsoleDevice(const ConsoleDevice&) = delete;
  ConsoleDevice& operator=(const ConsoleDevice&) = delete;

  // Hands the console back with the modes it had. Nothing is read or
  // written afterwards. Safe to call more than once, and from the console's
  // control thread. (The keyboard handle is closed by the destructor.)
  void Release();

  // CellDevice.
  CellSize BufferSize() override;
  CellSize WindowSize() override;
  CellPosition CursorPosition() override;
  void SetCursorPosition(CellPosition position) override;
  void WriteRowPiece(CellPosition at, std::string_view characters,
                     std::uint8_t attribute) override;
  void FillCells(CellPosition from, int count, Cell cell) override;
  void FillAttributes(CellPosition from, int count, std::uint8_t attribute) override;
  void ScrollUp(Cell fill) override;
  void SetTextAttribute(std::uint8_t attribute) override;
  std::optional<CursorAppearance> ReadCursorAppearance() override;
  void SetCursorAppearance(CursorAppearance appearance) override;
  // Console writes show at once.
  void Present() override {}

  // KeySource: the key presses of every key event waiting in the input
  // queue; the other events (mouse, focus, size, menu) are dropped.
  void TakeArrivedKeys(std::deque<KeyPress>& queue) override;
  // Waits on the input handle, which the console signals while events wait.
  // Once the console has been handed back it only waits out the timeout
  // (the system is ending the process). Without "CONIN$" no key can come:
  // the console is handed back and the process ends with exit code 1.
  void AwaitInput(std::chrono::milliseconds timeout) override;

  // Ctrl+C of a console that raises it as a signal despite raw mode (Wine's
  // console on a terminal does): put back into the input queue as the key
  // it is. Called on the console's control thread.
  void QueueControlC();

 private:
  // What the console was like before the program changed it.
  struct SavedModes {
    unsigned long inputMode = 0;
    unsigned long outputMode = 0;
    unsigned outputCodePage = 0;
    unsigned inputCodePage = 0;
    std::uint16_t textAttribute = 0x07;
    std::optional<CursorAppearance> cursor;
  };

  ConsoleDevice(void* screen, void* keys);

  void* screen_;                       // the screen buffer's handle (not ours to close)
  void* keys_;                         // "CONIN$", opened by Open; null when it can't be
  SavedModes saved_;
  std::atomic<bool> released_{false};  // handed back: nothing more is read or written
};

}  // namespace console::windows
