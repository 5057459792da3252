// The real console: the terminal the program runs in. The program keeps the
// cell grid itself (a terminal can't be read back), sized from the terminal
// and following its resizes, and shows each screen update with one write of
// VT sequences.
//
// Keys: a reader thread of the terminal's own reads the terminal in raw mode
// as the bytes come (one by one, unechoed, Ctrl+C, Ctrl+Z as the keys 3 and
// 26; Ctrl+\ still ends the program, as a break key would), decodes them and
// keeps the key presses in order until the program takes them: the
// console's input queue. Because it reads at once, the bytes of one key
// press arrive together and keys pressed one after another arrive apart,
// which is what tells Esc from Alt (console/vt/key_decoder.h), however
// late the program looks.
//
// Raw mode is a guard (console/terminal/raw_mode.h), left by Release and
// the destructor, and on every other way out. After a stop and continuation
// the screen is painted anew from the cell grid at the program's next look
// at the console. The cells stay as they are; colours, cursor and the Alt
// modes are handed back in the terminal's defaults.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "console/cell_device.h"
#include "console/grid_device.h"
#include "console/key_source.h"
#include "console/vt/key_decoder.h"
#include "console/vt/vt_renderer.h"
#include "runtime/joining_thread.h"

namespace console::terminal {

using vt::KeyDecoder;
using vt::VtRenderer;

class Terminal final : public GridDevice, public KeySource {
 public:
  // The terminal of standard output when that is a terminal, else that of
  // standard error; keys from /dev/tty (the controlling terminal), or from
  // the screen's terminal when there is none. None when neither standard
  // output nor standard error is a terminal.
  static std::unique_ptr<Terminal> Open();

  // A terminal on open descriptors: cells go to `screenFd`, keys come from
  // `keyFd`, which is put into raw mode and read by the reader thread.
  // Neither is closed by the Terminal.
  Terminal(int screenFd, int keyFd);
  ~Terminal() override;

  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Hands the terminal back to the shell: the reader thread ended, modes
  // restored, default colours, cursor shown; closes the key descriptor if
  // Open opened it. Nothing is read or written afterwards. Safe to call more
  // than once.
  void Release();

  // CellDevice: the grid follows the terminal's size.
  CellSize BufferSize() override;
  void Present() override;

  // KeySource: the keys the reader thread has decoded so far; never waits.
  // Also applies a resize or a continuation that was signalled meanwhile.
  // A terminal that has hung up ends the program as SIGHUP does.
  void TakeArrivedKeys(std::deque<KeyPress>& queue) override;
  // Sleeps until a key has been decoded, a resize or a continuation was
  // signalled, or `timeout` has passed.
  void AwaitInput(std::chrono::milliseconds timeout) override;

 private:
  // The reader thread: reads and decodes until Release stops it.
  void ReadKeys();
  // Applies what the signals noted: a new size, or a screen to paint anew
  // after the program was stopped and continued.
  void FollowConsoleEvents();
  CellSize QuerySize() const;
  void Write(std::string_view bytes);

  int screenFd_;                    // where the VT sequences go
  int keyFd_;                       // where the key bytes come from
  bool ownsKeyFd_ = false;          // Release closes keyFd_
  bool released_ = false;           // handed back: no more reads or writes
  VtRenderer renderer_;             // what the terminal shows, and how to update it

  int wakeReadFd_ = -1;             // the reader waits on it: stop, signals
  int wakeWriteFd_ = -1;
  std::mutex keysMutex_;
  std::condition_variable keysArrived_;
  std::deque<KeyPress> arrived_;    // decoded, not yet taken (guarded by keysMutex_)
  bool eventNoted_ = false;         // a signal to follow (guarded by keysMutex_)
  std::atomic<bool> stopping_{false};  // the reader is to end (Release sets it, then wakes it)
  runtime::JoiningThread reader_;   // last: started when everything else is ready
};

}  // namespace console::terminal
