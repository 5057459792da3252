// The real console: the terminal the program runs in. The program keeps the
// cell grid itself (a terminal can't be read back), sized from the terminal
// and following its resizes, and shows each screen update with one write of
// VT sequences. Keys are read from the terminal in raw mode, so they arrive
// one by one, unechoed, with Ctrl+C as the key 3 (Ctrl+\ still ends the
// program, as a break key would).
//
// Raw mode is a guard: the saved terminal modes are restored on every way
// out: Release, the destructor, exit(), and the signals SIGTERM, SIGHUP,
// SIGQUIT and SIGINT (after which the signal takes its default course). The
// cells stay as they are; colours and cursor are handed back in the
// terminal's defaults.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "console/cell_device.h"
#include "console/cell_grid.h"
#include "console/key_source.h"
#include "console/terminal/key_decoder.h"
#include "console/terminal/vt_renderer.h"

namespace console::terminal {

class Terminal final : public CellDevice, public KeySource {
 public:
  // The terminal of standard output when that is a terminal, else that of
  // standard error; keys from /dev/tty (the controlling terminal), or from
  // the screen's terminal when there is none. None when neither standard
  // output nor standard error is a terminal.
  static std::unique_ptr<Terminal> Open();

  // A terminal on open descriptors: cells go to `screenFd`, keys come from
  // `keyFd`, which is put into raw mode. Neither is closed by the Terminal.
  Terminal(int screenFd, int keyFd);
  ~Terminal() override;

  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Hands the terminal back to the shell: modes restored, default colours,
  // cursor shown; closes the key descriptor if Open opened it. Nothing is
  // read or written afterwards. Safe to call more than once.
  void Release();

  // CellDevice.
  CellSize BufferSize() override;
  CellSize WindowSize() override { return BufferSize(); }
  CellPosition CursorPosition() override { return grid_.Cursor(); }
  void SetCursorPosition(CellPosition position) override { grid_.SetCursor(position); }
  void WriteRowPiece(CellPosition at, std::string_view characters,
                     std::uint8_t attribute) override;
  void FillCells(CellPosition from, int count, Cell cell) override;
  void FillAttributes(CellPosition from, int count, std::uint8_t attribute) override;
  void ScrollUp(Cell fill) override;
  // Kept only: nothing of the program reaches the terminal as stream output.
  void SetTextAttribute(std::uint8_t attribute) override { textAttribute_ = attribute; }
  // A terminal can't be asked: always none.
  std::optional<CursorAppearance> ReadCursorAppearance() override { return std::nullopt; }
  void SetCursorAppearance(CursorAppearance appearance) override { cursor_ = appearance; }
  void Present() override;

  // KeySource: whatever has arrived, decoded; waits up to escapeWait for the
  // rest of a key whose first bytes arrived (a lone Esc is known as such
  // only when nothing follows in that time). A terminal that has hung up
  // ends the program as SIGHUP does.
  void TakeArrivedKeys(std::deque<KeyPress>& queue) override;
  // Sleeps until the terminal has bytes to read, a signal (a resize) comes,
  // or `timeout` has passed.
  void AwaitInput(std::chrono::milliseconds timeout) override;

  // How long the rest of a begun key is awaited.
  static constexpr int escapeWaitMilliseconds = 30;

 private:
  // Applies a resize the terminal has signalled: new grid size, full repaint.
  void FollowResize();
  CellSize QuerySize() const;
  // Reads what the key descriptor holds, waiting up to `waitMilliseconds`
  // for the first byte, and decodes it; false when nothing came.
  bool ReadKeys(int waitMilliseconds, std::deque<KeyPress>& queue);
  void Write(std::string_view bytes);

  int screenFd_;                    // where the VT sequences go
  int keyFd_;                       // where the key bytes come from
  bool ownsKeyFd_ = false;          // Release closes keyFd_
  bool released_ = false;           // handed back: no more reads or writes
  CellGrid grid_;                   // the screen as the program has it
  VtRenderer renderer_;             // what the terminal shows, and how to update it
  KeyDecoder decoder_;              // bytes of a key begun but not ended
  CursorAppearance cursor_;         // the cursor's wanted look
  std::uint8_t textAttribute_ = 0x07;  // attribute for stream output (kept only)
};

}  // namespace console::terminal
