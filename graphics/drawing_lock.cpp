#include "graphics/drawing_lock.h"

namespace graphics {

std::mutex& DrawingLock() {
  static std::mutex* const lock = new std::mutex;
  return *lock;
}

}  // namespace graphics
