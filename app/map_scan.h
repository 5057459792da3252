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

#include "app/model.h"
#include "runtime/joining_thread.h"

namespace app {

// The map window's grid: 111 x 111 start points, in steps of 2.
inline constexpr int gridSide = 111;
inline constexpr int gridTrials = gridSide * gridSide;

// The part of the plane a map covers: x from x0 to x1, y from y0 to y1
// (model units, x0 < x1 and y0 < y1). The map window's is -110 to 110.
struct MapRegion {
  double x0 = -110;
  double x1 = 110;
  double y0 = -110;
  double y1 = 110;

  bool operator==(const MapRegion&) const = default;
};

// The start points: side x side points (or side x height) spread evenly
// over the region, its edges included. Row 0 is the bottom row (y = y0), and
// each row runs from the left (x = x0). Side 111 over the default region is
// the map window's grid, in steps of 2.
struct StartGrid {
  int side = gridSide;  // points per row, and per column unless height is set; at least 2
  MapRegion region;
  int height = 0;  // points per column of a grid that is not square (at least 2); 0: side

  int Width() const { return side; }
  int Height() const { return height == 0 ? side : height; }
  // Column i: x0 + (x1 - x0) i / (Width() - 1), computed in Real and rounded
  // once to a double (so the default region gives -110 + 220 i / (side - 1)).
  double X(int column) const;
  // Row j likewise from y0 to y1, over Height() points.
  double Y(int row) const;
};

// Start point of trial `trialIndex` of the window's grid, in scan order.
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

// A trial that has run this many steps is long: only a trial count beyond
// the 16-bit counter's positive range allows it. Long trials look at stop
// requests (and report their progress) every `longTrialInterval` steps.
inline constexpr std::int64_t longTrialSteps = 32767;
inline constexpr std::int64_t longTrialInterval = 65536;

// The model's step a trial takes: SimulationStep with the program's Real, or
// with the other extended type where the machine has two (the benchmark
// compares the software type's scan with the x87's).
using ModelStep = void (*)(PendulumState& state, double g, double m, double dt, double captureRadius);
inline constexpr ModelStep programStep = &SimulationStep<runtime::Real>;

// One trial: the bob released at rest at (x, y), stepped with dt 0.2 and
// capture radius 9 until a magnet catches it, it flies off (|X| or |Y| at
// least 4000, tested before every step) or stepLimit steps were made.
struct TrialResult {
  std::int16_t caughtBy = 0;  // 0 when not caught
  std::int64_t steps = 0;     // model steps made
};

// Whether a long trial goes on.
enum class LongTrialDecision { goOn, abandon };

// Runs one trial as RunTrial does, and tells `afterStep` where the bob is
// after each step (model units): the path of that trial. A long trial asks
// `duringLongTrial` as RunTrial does.
TrialResult TraceTrial(double x, double y, double g, double m, std::int64_t stepLimit,
                       const std::function<void(double x, double y)>& afterStep,
                       const std::function<LongTrialDecision()>& duringLongTrial = {});

// Runs one trial on the calling thread. When it is long, `duringLongTrial`
// is asked after its step 32768 and then after every further 65536 steps;
// abandon ends the trial there (its result then says nothing).
TrialResult RunTrial(double x, double y, double g, double m, std::int64_t stepLimit,
                     const std::function<LongTrialDecision()>& duringLongTrial = {},
                     ModelStep step = programStep);

// What a scan computes: the trials of rows firstRow .. endRow - 1 of the
// grid, in scan order (row by row upwards, each row from the left), or the
// whole grid in an order of its own.
struct ScanJob {
  StartGrid grid;
  int firstRow = 0;
  int endRow = -1;                // -1: up to the grid's top row
  double g = 5;                   // pendulum coefficient
  double m = 400;                 // magnet strength
  std::int64_t stepLimit = 2000;  // TrialStepLimit of the trial count
  ModelStep step = programStep;   // the model's step the trials take
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
  // 0 worker threads: Next computes each trial itself when it is due.
  // Workers run at most `lookAhead` trials ahead of the taker.
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
  // Advance the lanes' trials until one of them ends; false when the scan
  // stops meanwhile.
  bool RunInLockstep(Lane& first, Lane& second);
  bool RunAlone(Lane& lane);
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
