#include "app/map_scan.h"

#include <algorithm>
#include <cmath>

#include "app/trial_steps.h"
#include "runtime/numeric.h"

namespace app {

using namespace trial_steps;

std::int64_t ScanJob::TrialCount() const {
  if (pointOrder) return static_cast<std::int64_t>(pointOrder->size());
  return static_cast<std::int64_t>(EndRow() - firstRow) * grid.Width();
}

std::int64_t ScanJob::Point(std::int64_t index) const {
  if (pointOrder) return (*pointOrder)[static_cast<std::size_t>(index)];
  return static_cast<std::int64_t>(firstRow) * grid.Width() + index;
}

double ScanJob::X(std::int64_t index) const { return grid.X(static_cast<int>(Point(index) % grid.Width())); }

double ScanJob::Y(std::int64_t index) const { return grid.Y(static_cast<int>(Point(index) / grid.Width())); }

// --- MapScan -----------------------------------------------------------------

struct MapScan::Slot {
  std::int64_t index = -1;         // the trial whose result this is, once ready
  bool ready = false;              // the result is there
  TrialResult result;
  std::int64_t stepsSoFar = 0;     // steps of this trial so far, once it is long
};

struct MapScan::Lane {
  std::int64_t index = -1;  // the trial under way, -1 when the lane is idle
  TrialRun run;
  bool running = false;     // the trial has not ended yet
};

unsigned MapScan::DefaultWorkerThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

MapScan::MapScan(const ScanJob& job, unsigned workerThreads, std::int64_t lookAhead)
    : job_(job), trialCount_(job.TrialCount()) {
  slots_.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(trialCount_, 1, std::max<std::int64_t>(lookAhead, 1))));
  for (unsigned i = 0; i < std::max(1u, workerThreads); ++i) workers_.emplace_back([this] { Work(); });
}

MapScan::~MapScan() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  roomReady_.notify_all();
  workers_.clear();  // joins
}

MapScan::Slot& MapScan::SlotOf(std::int64_t index) {
  return slots_[static_cast<std::size_t>(index % static_cast<std::int64_t>(slots_.size()))];
}

std::optional<TrialResult> MapScan::Next(const std::function<LongTrialDecision()>& duringLongTrial) {
  if (abandoned_ || nextToTake_ >= trialCount_) return std::nullopt;
  const std::int64_t index = nextToTake_;
  std::unique_lock lock(mutex_);
  Slot& slot = SlotOf(index);
  std::int64_t progressSeen = 0;
  awaited_ = index;
  const auto resultReady = [&] { return slot.ready && slot.index == index; };
  const auto progressMade = [&] { return slot.index == index && slot.stepsSoFar > progressSeen; };
  while (!resultReady()) {
    if (progressMade()) {
      progressSeen = slot.stepsSoFar;
      lock.unlock();
      const bool abandon = duringLongTrial && duringLongTrial() == LongTrialDecision::abandon;
      lock.lock();
      if (abandon) {
        awaited_ = -1;
        abandoned_ = true;
        return std::nullopt;
      }
      continue;
    }
    resultReady_.wait(lock, [&] { return resultReady() || progressMade(); });
  }
  awaited_ = -1;
  const TrialResult result = slot.result;
  slot = Slot{};
  ++taken_;
  ++nextToTake_;
  const bool wakeWorkers = workersWaitingForRoom_ > 0;
  lock.unlock();
  if (wakeWorkers) roomReady_.notify_all();
  return result;
}

bool MapScan::Stopping() {
  std::lock_guard lock(mutex_);
  return stopping_;
}

bool MapScan::Claim(Lane& lane, RoomWait wait) {
  std::unique_lock lock(mutex_);
  const auto roomAhead = [&] {
    return stopping_ || nextToClaim_ >= trialCount_ ||
           nextToClaim_ < taken_ + static_cast<std::int64_t>(slots_.size());
  };
  if (!roomAhead()) {
    if (wait == RoomWait::dontWait) return false;
    ++workersWaitingForRoom_;
    roomReady_.wait(lock, roomAhead);
    --workersWaitingForRoom_;
  }
  if (stopping_ || nextToClaim_ >= trialCount_) return false;
  lane.index = nextToClaim_++;
  lock.unlock();
  lane.run = TrialRun{StateAtRest(job_.X(lane.index), job_.Y(lane.index))};
  lane.running = true;
  return true;
}

void MapScan::Publish(const Lane& lane) {
  bool wakeTaker = false;
  {
    std::lock_guard lock(mutex_);
    Slot& slot = SlotOf(lane.index);
    slot.index = lane.index;
    slot.ready = true;
    slot.result = ResultOf(lane.run);
    wakeTaker = awaited_ == lane.index;
  }
  if (wakeTaker) resultReady_.notify_one();
}

void MapScan::ReportLongTrial(const Lane& lane) {
  bool wakeTaker = false;
  {
    std::lock_guard lock(mutex_);
    Slot& slot = SlotOf(lane.index);
    slot.index = lane.index;
    slot.stepsSoFar = lane.run.steps;
    wakeTaker = awaited_ == lane.index;
  }
  if (wakeTaker) resultReady_.notify_one();
}

bool MapScan::LookDuringLongTrial(const Lane& lane) {
  if (!AtLongTrialLook(lane.run)) return true;
  if (Stopping()) return false;
  ReportLongTrial(lane);
  return true;
}

template <typename Step>
bool MapScan::RunInLockstep(const Step& step, Lane& first, Lane& second) {
  do {
    first.running = AdvanceTrial(first.run, step);
    second.running = AdvanceTrial(second.run, step);
    if (!LookDuringLongTrial(first) || !LookDuringLongTrial(second)) return false;
  } while (first.running && second.running);
  return true;
}

template <typename Step>
bool MapScan::RunAlone(const Step& step, Lane& lane) {
  do {
    lane.running = AdvanceTrial(lane.run, step);
    if (!LookDuringLongTrial(lane)) return false;
  } while (lane.running);
  return true;
}

void MapScan::Work() {
  // A new thread starts with the system's floating-point setting (on
  // Windows a 53-bit significand), not the program's.
  runtime::LoadFloatingPointControl();
  WithTrialStep(job_.rules, job_.arithmetic, [this](const auto& step) { WorkWith(step); });
}

template <typename Step>
void MapScan::WorkWith(const Step& step) {
  Lane lanes[2];
  Lane& first = lanes[0];
  Lane& second = lanes[1];
  for (;;) {
    for (Lane& lane : lanes) {
      const bool otherRuns = (&lane == &first ? second : first).index >= 0;
      if (lane.index < 0) Claim(lane, otherRuns ? RoomWait::dontWait : RoomWait::wait);
    }
    if (first.index < 0 && second.index < 0) return;  // nothing left
    const bool goOn = first.index >= 0 && second.index >= 0
                          ? RunInLockstep(step, first, second)
                          : RunAlone(step, first.index >= 0 ? first : second);
    if (!goOn) return;  // the scan stops
    for (Lane& lane : lanes) {
      if (lane.index < 0 || lane.running) continue;
      Publish(lane);
      lane.index = -1;
    }
  }
}

}  // namespace app
