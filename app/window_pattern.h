// What both runs do with their window: open it at (100, 100) with an
// 800 x 600 drawing area, attach it with automatic refresh, set the common
// scale; and at the end keep it on screen for 10 seconds, then close it.
#pragma once

#include "console/keyboard.h"
#include "runtime/text.h"

namespace app {

// Model (-200, 150) at the top-left and (200, -150) at the bottom-right:
// 2 pixels per unit, the centre at pixel (400, 300), y growing upwards.
// Without a display nothing is attached and every drawing does nothing.
void OpenRunWindow(const runtime::Text& caption);

// The final 10-second pause, then the window is closed.
void CloseRunWindow(console::ConsoleKeyboard& keyboard);

}  // namespace app
