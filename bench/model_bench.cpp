// Speed of the bare model: time per step of SimulationStep and of the plain
// reference step (the same arithmetic written straight through), and the
// whole default start-point map computed on one thread without any drawing,
// by the model and by the reference. This is the floor every drawing figure
// is compared with. Beside them the same step and map scan with the
// software extended type; where Real is the x87's, the program ends with
// the software type's times as multiples of the x87's, from the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/model.h"
#include "app/start_point_map.h"
#include "tests/support/reference_step.h"

namespace {

void SimulationSteps(benchmark::State& state) {
  runtime::LoadFloatingPointControl();
  app::PendulumState pendulum = app::StateAtRest(-50, 50);
  for (auto _ : state) {
    app::SimulationStep(pendulum, 5, 400, app::mapTimeStep, 0.0);  // never caught
    benchmark::DoNotOptimize(pendulum);
  }
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(SimulationSteps);

void SoftwareRealSteps(benchmark::State& state) {
  app::PendulumState pendulum = app::StateAtRest(-50, 50);
  for (auto _ : state) {
    app::SimulationStep<runtime::SoftwareReal>(pendulum, 5, 400, app::mapTimeStep, 0.0);  // never caught
    benchmark::DoNotOptimize(pendulum);
  }
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(SoftwareRealSteps);

void ReferenceSteps(benchmark::State& state) {
  runtime::LoadFloatingPointControl();
  reference::State pendulum{-50, 50, 0, 0, 0, 0};
  for (auto _ : state) {
    reference::Step(pendulum, 5, 400, app::mapTimeStep, 0.0);
    benchmark::DoNotOptimize(pendulum);
  }
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(ReferenceSteps);

// The default map (g = 5, m = 400, n = 2000): 12321 trials.
void DefaultMapComputation(benchmark::State& state) {
  runtime::LoadFloatingPointControl();
  const std::int64_t limit = app::TrialStepLimit(2000);
  const app::ScanJob map;
  std::int64_t steps = 0;
  for (auto _ : state) {
    steps = 0;
    for (int trial = 0; trial < app::gridTrials; ++trial) {
      const app::TrialResult result = app::RunTrial(map.X(trial), map.Y(trial), {5, 400, limit, {}});
      steps += result.steps;
    }
    benchmark::DoNotOptimize(steps);
  }
  state.counters["model steps"] = static_cast<double>(steps);
  state.counters["steps/s"] = benchmark::Counter(static_cast<double>(steps) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(DefaultMapComputation)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same map through the scan engine, without painting: one worker
// advancing two trials in lockstep, and one worker per core.
void DefaultMapScan(benchmark::State& state) {
  runtime::LoadFloatingPointControl();
  std::int64_t steps = 0;
  for (auto _ : state) {
    steps = 0;
    app::MapScan scan(app::ScanJob{}, static_cast<unsigned>(state.range(0)));
    while (const auto result = scan.Next()) steps += result->steps;
    benchmark::DoNotOptimize(steps);
  }
  state.counters["model steps"] = static_cast<double>(steps);
}
BENCHMARK(DefaultMapScan)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void SoftwareRealMapScan(benchmark::State& state) {
  app::ScanJob job;
  job.arithmetic = app::TrialArithmetic::software;
  std::int64_t steps = 0;
  for (auto _ : state) {
    steps = 0;
    app::MapScan scan(job, static_cast<unsigned>(state.range(0)));
    while (const auto result = scan.Next()) steps += result->steps;
    benchmark::DoNotOptimize(steps);
  }
  state.counters["model steps"] = static_cast<double>(steps);
}
BENCHMARK(SoftwareRealMapScan)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// The same map with the reference step and the same trial rules.
void DefaultMapByReference(benchmark::State& state) {
  runtime::LoadFloatingPointControl();
  const app::ScanJob map;
  std::int64_t steps = 0;
  for (auto _ : state) {
    steps = 0;
    for (int trial = 0; trial < app::gridTrials; ++trial) {
      reference::State pendulum{map.X(trial), map.Y(trial), 0, 0, 0, 0};
      for (int count = 1; std::fabs(pendulum.x) < 4000 && std::fabs(pendulum.y) < 4000; ++count) {
        reference::Step(pendulum, 5, 400, app::mapTimeStep, app::mapCaptureRadius);
        ++steps;
        if (pendulum.caughtBy > 0 || count == 2000) break;
      }
    }
    benchmark::DoNotOptimize(steps);
  }
  state.counters["model steps"] = static_cast<double>(steps);
}
BENCHMARK(DefaultMapByReference)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The console's report, and the times kept by name for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}  // without colours: the output goes into files

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        // The map scans are timed by the clock on the wall (their workers'
        // time is not the caller's), the steps by processor time.
        const std::string& function = run.run_name.function_name;
        const bool wall = function.find("Scan") != std::string::npos;
        const std::string name = run.run_name.args.empty() ? function : function + "/" + run.run_name.args;
        times_[name].push_back(wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime());
      }
    }
  }

  // The least time of each (the least disturbed by other work on the
  // machine) as a multiple of the x87's.
  void PrintRatios() const {
    const std::pair<const char*, const char*> pairs[] = {{"SoftwareRealSteps", "SimulationSteps"},
                                                         {"SoftwareRealMapScan/1", "DefaultMapScan/1"},
                                                         {"SoftwareRealMapScan/2", "DefaultMapScan/2"}};
    for (const auto& [software, x87] : pairs) {
      const auto s = times_.find(software);
      const auto x = times_.find(x87);
      if (s == times_.end() || x == times_.end()) continue;
      const double least = *std::min_element(s->second.begin(), s->second.end());
      const double leastX87 = *std::min_element(x->second.begin(), x->second.end());
      std::printf("%s against %s: %.3g times\n", software, x87, least / leastX87);
    }
  }

 private:
  std::map<std::string, std::vector<double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (!std::is_same_v<runtime::Real, runtime::SoftwareReal>) reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
