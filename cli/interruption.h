// Ctrl+C (and a termination request, as a job scheduler sends one) during a
// batch command: caught, so that the command stops cleanly and leaves no
// partial file, instead of dying on the spot.
#pragma once

namespace cli {

// From now on SIGINT and SIGTERM only note the request.
void CatchInterruption();

// The signal that asked the command to stop, or 0.
int InterruptionSignal();

}  // namespace cli
