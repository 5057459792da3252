// The console in a web page: the program runs in a worker, and the page
// shows a terminal (xterm.js, 80 x 25). The program keeps the cell grid
// itself, as on a real terminal, and sends each screen update to the page
// as one piece of VT output produced by the VT renderer; the page sends the
// bytes of each key press (one arrival per keyboard event) to
// magpend_key_bytes, and a reader thread decodes them with the key decoder,
// so keys, Esc and Alt behave as on a terminal.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "console/cell_device.h"
#include "console/grid_device.h"
#include "console/key_source.h"
#include "console/vt/key_decoder.h"
#include "console/vt/vt_renderer.h"
#include "runtime/joining_thread.h"

// Called by the page (on the browser's main thread) with the bytes of one
// keyboard event, UTF-8 as a terminal sends them.
extern "C" void magpend_key_bytes(const char* bytes, int length);

namespace console::web {

// The page's terminal: cells out as VT text, key bytes in.
class PageTerminal final : public GridDevice, public KeySource {
 public:
  PageTerminal();
  ~PageTerminal() override;
  PageTerminal(const PageTerminal&) = delete;
  PageTerminal& operator=(const PageTerminal&) = delete;

  // Ends the reader thread and hands the terminal back (default colours,
  // cursor shown). Safe to call more than once.
  void Release();

  // CellDevice: a fixed grid of the page terminal's size.
  void Present() override;

  // KeySource: the keys decoded so far; never waits.
  void TakeArrivedKeys(std::deque<KeyPress>& queue) override;
  // Sleeps until a key has been decoded or `timeout` has passed.
  void AwaitInput(std::chrono::milliseconds timeout) override;

 private:
  // The reader thread: decodes the page's arrivals until stopped.
  void ReadKeys();

  bool released_ = false;               // handed back: no more output
  vt::VtRenderer renderer_;             // what the page's terminal shows

  std::mutex keysMutex_;
  std::condition_variable keysArrived_;
  std::deque<KeyPress> arrived_;        // decoded, not yet taken (guarded by keysMutex_)
  runtime::JoiningThread reader_;                 // last: started when everything else is ready
};

}  // namespace console::web
