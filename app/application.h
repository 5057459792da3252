// The application's main routine: the parameter form in the console, then
// the path window run and the start-point map run.
#pragma once

#include <cstdint>
#include <functional>

#include "app/run_window.h"
#include "console/keyboard.h"
#include "console/screen.h"
#include "runtime/text.h"

namespace app {

// Where the runs' last pictures go when the user asked to keep them: called
// with the window's caption and its picture (null when the window never
// opened) once the path window has closed, and once the map run has ended.
using PictureKeeper =
    std::function<void(const runtime::Text& caption, const RunPicture& picture)>;

// What the process frame hands to the main routine. The form never reads
// the command line (the process frame does).
struct StartArguments {
  PictureKeeper keepPicture;  // empty: the pictures are not kept
};

// The console as the application uses it: the text screen of the form and
// the keyboard (which also provides the pauses).
struct ConsoleServices {
  console::ConsoleScreen& screen;
  console::ConsoleKeyboard& keyboard;
};

// Shows the form, reads the six fields, applies defaults and range checks,
// and when every check passes runs "Pendelweg" and then "Startpunkte".
// A failed check ends silently.
void RunApplication(ConsoleServices& console, const StartArguments& arguments);

}  // namespace app
