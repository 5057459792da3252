#include "app/start_point_map.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/magnet_colors.h"
#include "app/model.h"
#include "app/window_pattern.h"
#include "graphics/drawing.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace app {

double GridX(int trialIndex) { return -110.0 + 2.0 * (trialIndex % gridSide); }
double GridY(int trialIndex) { return -110.0 + 2.0 * (trialIndex / gridSide); }

std::int64_t TrialStepLimit(double n) {
  constexpr std::int64_t largestLimit = 0x7FFFFFFF;
  if (std::isnan(n)) return 65536;  // never equal to any count: one full wrap
  const double whole = std::ceil(n);
  if (whole >= 1) return static_cast<std::int64_t>(std::min<double>(whole, largestLimit));
  // A 16-bit counter reaches a negative n (or 0) only after wrapping.
  return 65536 + static_cast<std::int64_t>(std::max(whole, -32768.0));
}

TrialResult RunTrial(double x, double y, double g, double m, std::int64_t stepLimit,
                     std::stop_token stop) {
  constexpr double flyOffBound = 4000;
  // A very long trial still notices a stop request now and then.
  constexpr std::int64_t stopCheckInterval = 1 << 16;
  PendulumState state = StateAtRest(x, y);
  TrialResult result;
  while (std::fabs(state.x) < flyOffBound && std::fabs(state.y) < flyOffBound) {
    SimulationStep(state, g, m, mapTimeStep, mapCaptureRadius);
    ++result.steps;
    if (state.caughtBy > 0 || result.steps == stepLimit) break;
    if (result.steps % stopCheckInterval == 0 && stop.stop_requested()) break;
  }
  result.caughtBy = state.caughtBy;
  return result;
}

unsigned MapRunOptions::DefaultWorkerThreads() {
  return std::max(1u, std::thread::hardware_concurrency());
}

namespace {

// Computes the trials ahead of the drawing on worker threads. Workers take
// trial indices in scan order from a shared counter; the drawing thread
// waits for each result in turn. Destroying the scan stops and joins the
// workers; results beyond the last drawn trial are discarded.
class TrialScan {
 public:
  TrialScan(double g, double m, std::int64_t stepLimit, unsigned workerThreads)
      : g_(g), m_(m), stepLimit_(stepLimit), results_(gridTrials), ready_(gridTrials, 0) {
    for (unsigned i = 0; i < workerThreads; ++i) {
      workers_.emplace_back([this](std::stop_token stop) { Work(stop); });
    }
  }

  TrialScan(const TrialScan&) = delete;
  TrialScan& operator=(const TrialScan&) = delete;

  ~TrialScan() {
    for (auto& worker : workers_) worker.request_stop();
    workers_.clear();  // joins
  }

  TrialResult Result(int trialIndex) {
    if (workers_.empty()) return RunTrial(GridX(trialIndex), GridY(trialIndex), g_, m_, stepLimit_);
    std::unique_lock lock(mutex_);
    resultReady_.wait(lock, [&] { return ready_[trialIndex] != 0; });
    return results_[trialIndex];
  }

 private:
  void Work(std::stop_token stop) {
    // A new thread starts with the system's floating-point setting (on
    // Windows a 53-bit significand), not the program's.
    runtime::LoadFloatingPointControl();
    for (int index = nextTrial_++; index < gridTrials && !stop.stop_requested();
         index = nextTrial_++) {
      const TrialResult result = RunTrial(GridX(index), GridY(index), g_, m_, stepLimit_, stop);
      {
        std::lock_guard lock(mutex_);
        results_[index] = result;
        ready_[index] = 1;
      }
      resultReady_.notify_all();
    }
  }

  const double g_;
  const double m_;
  const std::int64_t stepLimit_;
  std::atomic<int> nextTrial_{0};
  std::mutex mutex_;
  std::condition_variable resultReady_;
  std::vector<TrialResult> results_;  // guarded by mutex_
  std::vector<char> ready_;           // guarded by mutex_
  std::vector<std::jthread> workers_;
};

void PaintStartPoint(int trialIndex, std::int16_t magnet) {
  const runtime::Real x = GridX(trialIndex);
  const runtime::Real y = GridY(trialIndex);
  const graphics::ColorRef color = magnetColors[magnet];
  graphics::DrawGraphicBox(runtime::ToSingle(x - 1), runtime::ToSingle(y - 1),
                           runtime::ToSingle(x + 1), runtime::ToSingle(y + 1), 0, color, color, 0);
}

}  // namespace

void RunStartPointMap(double m, double g, double n, console::ConsoleKeyboard& keyboard,
                      const MapRunOptions& options) {
  OpenRunWindow("Startpunkte");
  const runtime::Text escape = runtime::TextFromCode(27);
  TrialScan scan(g, m, TrialStepLimit(n), options.workerThreads);
  for (int trial = 0; trial < gridTrials; ++trial) {
    const TrialResult result = scan.Result(trial);
    // Every step of a trial draws the three markers before it moves the bob.
    // Nothing else draws during a trial, so all markers after the first
    // three land on identical pixels: drawing them once gives the same
    // surface as drawing them at every step.
    if (result.steps > 0) DrawMagnetMarkers();
    if (keyboard.PollKey() == escape) return;
    if (result.caughtBy != 0) PaintStartPoint(trial, result.caughtBy);
    if (options.afterTrial) options.afterTrial(trial);
  }
  CloseRunWindow(keyboard);
}

}  // namespace app
