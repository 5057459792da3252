#include "cli/film_frames.h"

#include <atomic>
#include <mutex>
#include <system_error>

#include "cli/map_file.h"
#include "runtime/joining_thread.h"

namespace cli {

namespace {

constexpr unsigned framesAtOnce = 2;

// The frames handed out in order to the computing threads, and what came of
// them. The threads belong to ComputeFrames, which joins them.
class FrameQueue {
 public:
  FrameQueue(const std::vector<MapCommand>& frames, const std::function<void(int)>& afterFrame,
             const std::function<bool()>& stopRequested)
      : frames_(frames), afterFrame_(afterFrame), stopRequested_(stopRequested) {}

  // Computes frames until none is left or the work stops.
  void Work(unsigned workersPerFrame) {
    const auto stop = [this] { return failed_.load() || stopRequested_(); };
    while (const MapCommand* frame = Take()) {
      const MapFileResult result = ComputeFrame(*frame, workersPerFrame, stop);
      if (result.outcome == MapFileOutcome::stopped) return;
      Finish(result);
    }
  }

  // A frame whose scan cannot start its workers fails the film; it must not
  // end this thread, and with it the process, by an exception.
  static MapFileResult ComputeFrame(const MapCommand& frame, unsigned workersPerFrame,
                                    const std::function<bool()>& stop) {
    try {
      return ComputeMapFile(frame, workersPerFrame, 0, {}, stop);
    } catch (const std::system_error& error) {
      return {MapFileOutcome::notWritten, "no threads for " + frame.output.string() + ": " + error.what()};
    }
  }

  FramesResult Result() const {
    if (failed_.load()) return {FramesOutcome::failed, problem_, written_};
    if (written_ < static_cast<int>(frames_.size())) return {FramesOutcome::stopped, {}, written_};
    return {FramesOutcome::done, {}, written_};
  }

 private:
  const MapCommand* Take() {
    std::lock_guard lock(mutex_);
    if (failed_.load() || stopRequested_() || next_ == frames_.size()) return nullptr;
    return &frames_[next_++];
  }

  void Finish(const MapFileResult& result) {
    std::lock_guard lock(mutex_);
    if (result.outcome == MapFileOutcome::notWritten) {
      if (!failed_.exchange(true)) problem_ = result.problem;
      return;
    }
    ++written_;
    if (afterFrame_) afterFrame_(written_);
  }

  const std::vector<MapCommand>& frames_;
  const std::function<void(int)>& afterFrame_;
  const std::function<bool()>& stopRequested_;
  std::atomic<bool> failed_{false};  // read by the scans' stop checks without the mutex
  std::mutex mutex_;
  std::size_t next_ = 0;   // guarded by mutex_
  int written_ = 0;        // guarded by mutex_
  std::string problem_;    // guarded by mutex_
};

}  // namespace

FramesResult ComputeFrames(const std::vector<MapCommand>& frames, unsigned workersPerFrame,
                           const std::function<void(int framesWritten)>& afterFrame,
                           const std::function<bool()>& stopRequested) {
  FrameQueue queue(frames, afterFrame, stopRequested);
  {
    std::vector<runtime::JoiningThread> threads;
    for (unsigned i = 0; i < framesAtOnce && i < frames.size(); ++i) {
      threads.emplace_back([&queue, workersPerFrame] { queue.Work(workersPerFrame); });
    }
  }  // joined
  return queue.Result();
}

}  // namespace cli
