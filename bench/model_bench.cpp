// Speed of the bare model: steps per second of SimulationStep, and the whole
// default start-point map computed on one thread without any drawing. This
// is the floor every drawing figure is compared with.
#include <benchmark/benchmark.h>

#include "app/model.h"
#include "app/start_point_map.h"

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

}  // namespace

BENCHMARK_MAIN();
