// How a trial steps, shared by RunTrial, TraceTrial and the map scan's
// workers (an inside of app/, not an interface): a trial under way, its
// step with the checks around it, and the model's step chosen once for a
// job as a type of its own, so that the workers' loop calls it directly.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

#include "app/model.h"
#include "app/trial.h"

namespace app::trial_steps {

// A trial under way.
struct TrialRun {
  PendulumState state;
  std::int64_t steps = 0;
};

// The form's field: SimulationStep with the program's Real or the software type.
template <runtime::ExtendedReal Number>
struct FormStep {
  double g, m, captureRadius;
  std::int64_t stepLimit;
  void operator()(PendulumState& state) const { SimulationStep<Number>(state, g, m, mapTimeStep, captureRadius); }
};

// Any other field: FieldStep with the program's Real.
struct AnyFieldStep {
  double g, captureRadius;
  std::int64_t stepLimit;
  std::shared_ptr<const MagnetField> field;
  void operator()(PendulumState& state) const { FieldStep(state, g, *field, mapTimeStep, captureRadius); }
};

// Calls `work` with the step of the rules' trials.
template <typename Work>
decltype(auto) WithTrialStep(const TrialRules& rules, TrialArithmetic arithmetic, Work&& work) {
  const double capture = rules.pendulum.captureRadius;
  if (!rules.pendulum.HasFormField()) {
    return work(AnyFieldStep{rules.g, capture, rules.stepLimit,
                             std::make_shared<const MagnetField>(FieldOf(rules.pendulum, rules.m))});
  }
  if (arithmetic == TrialArithmetic::software) {
    return work(FormStep<runtime::SoftwareReal>{rules.g, rules.m, capture, rules.stepLimit});
  }
  return work(FormStep<runtime::Real>{rules.g, rules.m, capture, rules.stepLimit});
}

// One step of a trial with the checks around it: the bob must not have
// flown off before it, and a catch or the step limit ends the trial after
// it. False once the trial has ended.
template <typename Step>
inline bool AdvanceTrial(TrialRun& run, const Step& step) {
  constexpr double flyOffBound = 4000;
  if (!(std::fabs(run.state.x) < flyOffBound && std::fabs(run.state.y) < flyOffBound)) return false;
  step(run.state);
  ++run.steps;
  return !(run.state.caughtBy > 0 || run.steps == step.stepLimit);
}

// Whether a trial has just reached one of its long-trial looks: its step
// 32768, then every 65536 steps.
inline bool AtLongTrialLook(const TrialRun& run) {
  return run.steps > longTrialSteps && (run.steps - longTrialSteps - 1) % longTrialInterval == 0;
}

inline TrialResult ResultOf(const TrialRun& run) { return {run.state.caughtBy, run.steps}; }

}  // namespace app::trial_steps
