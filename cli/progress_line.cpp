#include "cli/progress_line.h"

#include <cstdio>
#include <utility>

#include "runtime/standard_streams.h"

namespace cli {

namespace {

std::string Duration(double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  if (whole < 60) return std::to_string(whole) + " s";
  if (whole < 3600) return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
  return std::to_string(whole / 3600) + " h " + std::to_string(whole / 60 % 60) + " min";
}

}  // namespace

ProgressLine::ProgressLine(std::string what, std::string items, int total)
    : what_(std::move(what)),
      items_(std::move(items)),
      total_(total),
      shown_(runtime::StandardErrorIsTerminal()),
      start_(Clock::now()),
      lastShown_(start_) {}

void ProgressLine::After(int done) {
  const Clock::time_point now = Clock::now();
  if (!shown_ || (now - lastShown_ < refresh && done < total_)) return;
  lastShown_ = now;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double left = elapsed * (total_ - done) / done;
  std::fprintf(stderr, "\rmagpend %s: %d of %d %s, %3d%%, about %s left   ", what_.c_str(), done, total_,
               items_.c_str(), static_cast<int>(100LL * done / total_), Duration(left).c_str());
  std::fflush(stderr);
}

void ProgressLine::Clear() {
  if (!shown_) return;
  std::fprintf(stderr, "\r%70s\r", "");
  std::fflush(stderr);
}

}  // namespace cli
