// What the process tells its caller when it ends: one meaning per code, the
// same for the form and every command; the help's footer lists them.
#pragma once

#include <csignal>

namespace cli {

// The form ended, the picture or film was written, the explorer was left.
inline constexpr int exitDone = 0;
// No terminal for the form, a picture or film not written, no window for
// the explorer.
inline constexpr int exitNotDone = 1;
// A wrong command line or value, or a file or folder that cannot be used
// (a --save folder, a film's folders, an explorer's known results).
inline constexpr int exitWrongInput = 2;
// A command stopped by signal s ends with exitSignalBase + s, as a shell's
// command killed by it would.
inline constexpr int exitSignalBase = 128;
// Stopped by Ctrl+C.
inline constexpr int exitInterrupted = exitSignalBase + SIGINT;

}  // namespace cli
