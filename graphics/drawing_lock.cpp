#include "graphics/drawing_lock.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace graphics::DrawingLock {

namespace {
std::atomic<std::uint32_t> lockWord{0};  // 1 while held
}  // namespace

bool TryAcquire() { return lockWord.exchange(1, std::memory_order_acquire) == 0; }

void Acquire() {
  while (!TryAcquire()) std::this_thread::yield();
}

void Release() { lockWord.store(0, std::memory_order_release); }

}  // namespace graphics::DrawingLock
