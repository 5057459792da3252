// The path window run: one pendulum released at rest, drawn from above step
// by step at watching speed, with a small side view of the swinging rod.
#pragma once

#include <cstdint>

#include "app/run_window.h"
#include "console/keyboard.h"

namespace app {

// Opens "Pendelweg" (800 x 600 at screen (100, 100)), steps the bob from
// (x, y) with dt 0.1 and capture radius 0.5 until a magnet catches it, 100 n
// steps were made, or a key is pressed in the console; pauses 200 v ms after
// each step; then waits 10 s and closes the window. The keyboard also
// provides the pauses. Returns the window's last picture.
RunPicture RunPathWindow(double x, double y, double g, double m, double v, double n,
                   console::ConsoleKeyboard& keyboard);

// The pause after each step: 200 v ms rounded half to even. A product beyond
// the 32-bit range saturates at 0xFFFFFFFF ms instead of wrapping around.
std::uint32_t StepPauseMilliseconds(double v);

}  // namespace app
