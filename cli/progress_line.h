// A progress line on a terminal for a long batch command, rewritten in
// place: the items done (rows, frames), the share and the time left. Shown
// only where standard error is a terminal (a log file gets no line);
// refreshed at most four times a second. Not thread-safe: one report at a time.
#pragma once

#include <chrono>
#include <string>

namespace cli {

class ProgressLine {
 public:
  // "magpend map: 3 of 40 rows, ...": `what` is "map", `items` is "rows".
  ProgressLine(std::string what, std::string items, int total);

  // After `done` of the items (the last one always shows).
  void After(int done);

  // Takes the line away again.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds refresh{250};

  const std::string what_;
  const std::string items_;
  const int total_;
  const bool shown_;  // standard error is a terminal
  const Clock::time_point start_;
  Clock::time_point lastShown_;
};

}  // namespace cli
