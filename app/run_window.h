// The window of both runs: open it at (100, 100) with an 800 x 600 drawing
// area, attach it with automatic refresh, set the common scale; and at the
// end keep it on screen for 10 seconds, then close it.
#pragma once

#include <memory>

#include "console/keyboard.h"
#include "graphics/surface.h"
#include "runtime/text.h"

namespace app {

// What a run's window shows: its drawing area's surface, shared. It outlives
// the window, so the run's last picture can be kept after the window has
// closed, also when the user closed it early. Null when no window opened.
using RunPicture = std::shared_ptr<const graphics::Surface>;

// Where every window of the program opens on screen (its top-left corner,
// pixels): the runs' and the explorer's.
inline constexpr int windowLeft = 100;
inline constexpr int windowTop = 100;

// The captions of the two runs' windows.
inline constexpr const char* pathCaption = "Pendelweg";
inline constexpr const char* mapCaption = "Startpunkte";

// The drawing area, pixels.
inline constexpr int runWindowWidth = 800;
inline constexpr int runWindowHeight = 600;

// The model's rectangle the drawing area shows: (-200, 150) at the top-left
// and (200, -150) at the bottom-right, so 2 pixels per unit, the centre at
// pixel (400, 300), y growing upwards.
inline constexpr float runViewLeft = -200;
inline constexpr float runViewTop = 150;
inline constexpr float runViewRight = 200;
inline constexpr float runViewBottom = -150;

// Opens the window with its scale set (see above) and makes it the
// thread's target. Without a display nothing is attached and every drawing does nothing.
RunPicture OpenRunWindow(const runtime::Text& caption);

// The final 10-second pause, then the window is closed.
void CloseRunWindow(console::ConsoleKeyboard& keyboard);

}  // namespace app
