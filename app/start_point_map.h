// The start-point map run: for each of 111 x 111 start points, which magnet
// catches a pendulum released there at rest, painted in that magnet's colour.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

#include "console/keyboard.h"

namespace app {

// The grid: x and y from -110 to 110 in steps of 2; rows from the bottom
// (y = -110) up, each row from the left.
inline constexpr int gridSide = 111;
inline constexpr int gridTrials = gridSide * gridSide;
double GridX(int trialIndex);
double GridY(int trialIndex);

// How many steps a trial may make for the trial count n. For a whole n from
// -32768 to 32767 this is when a 16-bit step counter, wrapping from 32767 to
// -32768, first equals n: n itself for n >= 1, 65536 + n for n <= -1. Other
// values could never be met by such a counter; they are read so that every
// trial still ends: a fractional n counts up to the next whole number, a
// whole n above 32767 is taken as it is (capped at 2^31 - 1, which is also
// what +infinity gives), and one below -32768 acts as -32768.
std::int64_t TrialStepLimit(double n);

// One trial: the bob released at rest at (x, y), stepped with dt 0.2 and
// capture radius 9 until a magnet catches it, it flies off (|X| or |Y| at
// least 4000, tested before every step) or stepLimit steps were made.
struct TrialResult {
  std::int16_t caughtBy = 0;  // 0 when not caught
  std::int64_t steps = 0;     // model steps made
};
TrialResult RunTrial(double x, double y, double g, double m, std::int64_t stepLimit,
                     std::stop_token stop = {});

// Tuning and observation of the map run.
struct MapRunOptions {
  // Threads that compute trials ahead of the drawing; 0 computes each trial
  // on the calling thread when it is due. The picture is the same either way.
  unsigned workerThreads = DefaultWorkerThreads();
  // Called after each trial has been drawn (tests compare surfaces there).
  std::function<void(int trialIndex)> afterTrial;

  static unsigned DefaultWorkerThreads();
};

// Opens "Startpunkte", runs the 12321 trials in scan order and paints every
// caught start point as a 2 x 2 unit square in the colour of its magnet.
// Escape in the console (polled once per trial; other keys are consumed and
// ignored) returns at once: that point is not painted, there is no pause
// and the window is left open. Otherwise the map stays 10 s and closes.
void RunStartPointMap(double m, double g, double n, console::ConsoleKeyboard& keyboard,
                      const MapRunOptions& options = {});

}  // namespace app
