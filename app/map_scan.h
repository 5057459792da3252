// The start-point map's computation, apart from its painting: for each start
// point of a grid, which magnet catches a pendulum released there at rest.
// The map window and the batch map use the same scan: the same trials, the
// same worker threads, the same scan order.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "app/start_grid.h"
#include "app/trial.h"
#include "runtime/joining_thread.h"

namespace app {

// What a scan computes: the trials of rows firstRow .. endRow - 1 of the
// grid, in scan order (row by row upwards, each row from the left), or the
// whole grid in an order of its own.
struct ScanJob {
  StartGrid grid;
  int firstRow = 0;
  int endRow = -1;                // -1: up to the grid's top row
  TrialRules rules;               // what every trial depends on
  TrialArithmetic arithmetic = TrialArithmetic::program;
  // When set: every point of the grid, trial k being point (*pointOrder)[k]
  // (row * side + column); firstRow and endRow are then not used.
  std::shared_ptr<const std::vector<std::int32_t>> pointOrder;

  int EndRow() const { return endRow < 0 ? grid.Height() : endRow; }
  std::int64_t TrialCount() const;
  // Grid point (row * side + column) of trial `index` of the job.
  std::int64_t Point(std::int64_t index) const;
  // Start point of trial `index` of the job (0 is the first in scan order).
  double X(std::int64_t index) const;
  double Y(std::int64_t index) const;
};

// Computes a job's trials ahead on worker threads and hands the results out
// strictly in scan order. Each worker advances two trials in lockstep (one
// step's 80-bit arithmetic is one long dependency chain; two independent
// chains keep the processor busy), and every trial's values are bit for bit
// those of RunTrial. Workers run at most a bounded number of trials ahead of
// the taker, so a job of any size needs little memory. Destroying the scan
// stops the workers (a long trial at its next look) and joins them.
class MapScan {
 public:
  // At least one worker thread (0 counts as 1). Workers run at most
  // `lookAhead` trials ahead of the taker.
  MapScan(const ScanJob& job, unsigned workerThreads, std::int64_t lookAhead = defaultLookAhead);
  ~MapScan();
  MapScan(const MapScan&) = delete;
  MapScan& operator=(const MapScan&) = delete;

  const ScanJob& Job() const { return job_; }

  // The result of the next trial in scan order, waiting for it. While that
  // trial is long, `duringLongTrial` is called (on the calling thread) after
  // its step 32768 and then after every further 65536 steps; abandon gives
  // up the scan: nothing is returned, now or later. Nothing is returned
  // either once every trial has been handed out.
  std::optional<TrialResult> Next(const std::function<LongTrialDecision()>& duringLongTrial = {});

  // One per core.
  static unsigned DefaultWorkerThreads();
  // More than the map window's whole grid, so that it never makes workers
  // wait; little memory for any larger job.
  static constexpr std::int64_t defaultLookAhead = 16384;

 private:
  struct Slot;
  struct Lane;
  // A worker thread: two lanes, each with a trial under way, refilled in
  // scan order as their trials end.
  void Work();
  template <typename Step>
  void WorkWith(const Step& step);
  // Advance the lanes' trials until one of them ends; false when the scan
  // stops meanwhile.
  template <typename Step>
  bool RunInLockstep(const Step& step, Lane& first, Lane& second);
  template <typename Step>
  bool RunAlone(const Step& step, Lane& lane);
  // At a long trial's look: false when the scan stops, else the progress is
  // reported to the taker.
  bool LookDuringLongTrial(const Lane& lane);
  // Takes the next trial into `lane`; false (the lane stays idle) when there
  // is none left, the scan stops, or there is no room ahead of the taker
  // and `wait` says not to wait for it (a worker whose other lane still
  // runs must not wait: its trial may be the one the taker waits for).
  enum class RoomWait { wait, dontWait };
  bool Claim(Lane& lane, RoomWait wait);
  void Publish(const Lane& lane);
  void ReportLongTrial(const Lane& lane);
  bool Stopping();
  Slot& SlotOf(std::int64_t index);

  const ScanJob job_;
  const std::int64_t trialCount_;
  std::int64_t nextToTake_ = 0;  // the taker's position (only the taker changes it)
  bool abandoned_ = false;       // a long trial was given up: nothing more is handed out

  std::mutex mutex_;
  std::condition_variable resultReady_;  // the taker waits for its trial (or its progress)
  std::condition_variable roomReady_;    // workers wait for room ahead of the taker
  std::vector<Slot> slots_;              // ring: trial i in slot i % size (guarded by mutex_)
  std::int64_t nextToClaim_ = 0;         // guarded by mutex_
  std::int64_t taken_ = 0;               // trials handed out (guarded by mutex_)
  std::int64_t awaited_ = -1;            // the trial the taker waits for, or -1 (guarded)
  int workersWaitingForRoom_ = 0;        // guarded by mutex_
  bool stopping_ = false;                // guarded by mutex_
  std::vector<runtime::JoiningThread> workers_;
};

}  // namespace app
