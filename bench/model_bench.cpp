// Speed of the bare model: time per step of SimulationStep and of the plain
// reference step (the same arithmetic written straight through), and the
// whole default start-point map computed on one thread without any drawing,
// by the model and by the reference. This is the floor every drawing figure
// is compared with. Beside them the same step and map scan with Real the
// software extended type (where Real is the x87's, the two compare).
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/model.h"
#include "app/start_point_map.h"
#include "bench/reference_step.h"
#include "bench/software_model.h"

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
  bench::Pendulum pendulum;
  pendulum.x = -50;
  pendulum.y = 50;
  for (auto _ : state) {
    bench::SoftwareSimulationStep(pendulum, 5, 400, app::mapTimeStep, 0.0);  // never caught
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
  std::int64_t steps = 0;
  for (auto _ : state) {
    steps = 0;
    for (int trial = 0; trial < app::gridTrials; ++trial) {
      const app::TrialResult result =
          app::RunTrial(app::GridX(trial), app::GridY(trial), 5, 400, limit);
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
  std::int64_t steps = 0;
  for (auto _ : state) {
    steps = bench::SoftwareDefaultMapScan(static_cast<unsigned>(state.range(0)));
    benchmark::DoNotOptimize(steps);
  }
  state.counters["model steps"] = static_cast<double>(steps);
}
BENCHMARK(SoftwareRealMapScan)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// The same map with the reference step and the same trial rules.
void DefaultMapByReference(benchmark::State& state) {
  runtime::LoadFloatingPointControl();
  std::int64_t steps = 0;
  for (auto _ : state) {
    steps = 0;
    for (int trial = 0; trial < app::gridTrials; ++trial) {
      reference::State pendulum{app::GridX(trial), app::GridY(trial), 0, 0, 0, 0};
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

}  // namespace

BENCHMARK_MAIN();
