// The process-wide DrawingLock: keeps drawing operations, the window
// threads' idle repaints and closing apart, for all windows at once.
//
// A drawing operation takes and releases it on its own thread, and holds it
// while it waits for a window thread's paint. That is why a window thread
// never waits for it: it only tries it (try_lock) once per idle pass.
#pragma once

#include <mutex>

namespace graphics {

// Never destroyed, so that a window thread still ending during process exit
// finds it intact.
std::mutex& DrawingLock();

}  // namespace graphics
