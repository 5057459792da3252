#include "console/web/page_terminal.h"

#include <emscripten/em_asm.h>
#include <emscripten/emscripten.h>

#include <vector>

#include "console/system_console.h"

namespace console::web {

namespace {

constexpr CellSize pageTerminalSize{80, 25};

// The key bytes the page has sent, one entry per keyboard event, until the
// reader thread takes them. Shared by the page's thread and the reader.
struct KeyInbox {
  std::mutex mutex;
  std::condition_variable arrival;
  std::deque<std::string> arrivals;  // unread arrivals, oldest first
  bool stopping = false;             // the reader is to end
};

KeyInbox& TheInbox() {
  static KeyInbox* const inbox = new KeyInbox;
  return *inbox;
}

// One piece of VT output to the page's terminal. Waits until the page has
// taken it, so the bytes can be read from the program's memory.
void WriteToPage(std::string_view bytes) {
  if (bytes.empty()) return;
  MAIN_THREAD_EM_ASM(
      { Module.magpendPage.writeTerminal(HEAPU8.slice($0, $0 + $1)); }, bytes.data(),
      static_cast<int>(bytes.size()));
}

}  // namespace

PageTerminal::PageTerminal() : GridDevice(pageTerminalSize), renderer_(grid_) {
  WriteToPage(vt::VtRenderer::Acquire());
  reader_ = runtime::JoiningThread([this] { ReadKeys(); });
}

PageTerminal::~PageTerminal() { Release(); }

void PageTerminal::Release() {
  if (released_) return;
  released_ = true;
  KeyInbox& inbox = TheInbox();
  {
    std::lock_guard lock(inbox.mutex);
    inbox.stopping = true;
  }
  inbox.arrival.notify_all();
  if (reader_.joinable()) reader_.join();
  WriteToPage(vt::VtRenderer::Release());
}

void PageTerminal::Present() {
  if (released_) return;
  WriteToPage(renderer_.Render(grid_, cursor_));
}

void PageTerminal::TakeArrivedKeys(std::deque<KeyPress>& queue) {
  std::lock_guard lock(keysMutex_);
  queue.insert(queue.end(), arrived_.begin(), arrived_.end());
  arrived_.clear();
}

void PageTerminal::AwaitInput(std::chrono::milliseconds timeout) {
  std::unique_lock lock(keysMutex_);
  keysArrived_.wait_for(lock, timeout, [&] { return !arrived_.empty(); });
}

void PageTerminal::ReadKeys() {
  KeyInbox& inbox = TheInbox();
  vt::KeyDecoder decoder;
  for (;;) {
    std::deque<std::string> arrivals;
    bool expired = false;
    {
      std::unique_lock lock(inbox.mutex);
      const auto ready = [&] { return inbox.stopping || !inbox.arrivals.empty(); };
      if (decoder.Pending()) {
        expired = !inbox.arrival.wait_for(lock, decoder.RestWait(), ready);
      } else {
        inbox.arrival.wait(lock, ready);
      }
      if (inbox.stopping) return;
      arrivals.swap(inbox.arrivals);
    }
    std::deque<KeyPress> keys;
    if (expired) decoder.Expire(keys);  // the rest of a key never came
    for (const std::string& bytes : arrivals) decoder.Feed(bytes, keys);
    if (keys.empty()) continue;
    {
      std::lock_guard lock(keysMutex_);
      arrived_.insert(arrived_.end(), keys.begin(), keys.end());
    }
    keysArrived_.notify_all();
  }
}

}  // namespace console::web

namespace console {

std::unique_ptr<SystemConsole> ConsoleStartup() {
  return std::make_unique<SystemConsole>(std::make_shared<web::PageTerminal>());
}

const char* NoConsoleMessage() { return "magpend: the page has no terminal\n"; }

}  // namespace console

extern "C" EMSCRIPTEN_KEEPALIVE void magpend_key_bytes(const char* bytes, int length) {
  if (bytes == nullptr || length <= 0) return;
  console::web::KeyInbox& inbox = console::web::TheInbox();
  {
    std::lock_guard lock(inbox.mutex);
    inbox.arrivals.emplace_back(bytes, static_cast<std::size_t>(length));
  }
  inbox.arrival.notify_all();
}
