// The process-wide DrawingLock: keeps drawing operations, the window
// threads' idle repaints and closing apart, for all windows at once.
//
// It is a word taken by an atomic exchange, not a mutex: it has no owner,
// and a drawing thread holds it while it waits for a window thread's paint.
// That is why painting never waits for it; a window thread only ever tries
// it once per idle pass.
#pragma once

namespace graphics::DrawingLock {

// Takes the lock when it is free; true when taken.
bool TryAcquire();

// Takes the lock, giving up the time slice between tries.
void Acquire();

// Gives the lock back; only by whoever took it.
void Release();

}  // namespace graphics::DrawingLock
