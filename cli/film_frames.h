// A film's frames computed on all cores: two frames at a time, each with a
// map scan of one worker per core, so that while one frame's last trials
// finish (and its picture is written) the next frame's trials already keep
// the cores busy. Each frame is written whole by `magpend map`'s own code
// (cli/map_file.h) as soon as it is done.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace cli {

enum class FramesOutcome {
  done,    // every frame written
  failed,  // a frame could not be written (the problem says why); the others stopped
  stopped, // stopRequested said so; the frames finished stay
};
struct FramesResult {
  FramesOutcome outcome = FramesOutcome::done;
  std::string problem;
  int written = 0;
};

// Computes and writes the frames (their map commands), the first ones
// first. `afterFrame` hears of each frame written, one call at a time, from
// the computing threads; `stopRequested` is asked by them, often.
FramesResult ComputeFrames(const std::vector<MapCommand>& frames, unsigned workersPerFrame,
                           const std::function<void(int framesWritten)>& afterFrame,
                           const std::function<bool()>& stopRequested);

}  // namespace cli
