#include "app/trial.h"

#include <algorithm>
#include <cmath>

#include "app/trial_steps.h"

namespace app {

using namespace trial_steps;

std::int64_t TrialStepLimit(double n) {
  constexpr std::int64_t largestLimit = 0x7FFFFFFF;
  if (std::isnan(n)) return 65536;  // never equal to any count: one full wrap
  const double whole = std::ceil(n);
  if (whole >= 1) return static_cast<std::int64_t>(std::min<double>(whole, largestLimit));
  // A 16-bit counter reaches a negative n (or 0) only after wrapping.
  return 65536 + static_cast<std::int64_t>(std::max(whole, -32768.0));
}

TrialRules RulesOf(const PendulumValues& values) {
  return {values.g, values.m, TrialStepLimit(values.n), values.pendulum};
}

TrialResult RunTrial(double x, double y, const TrialRules& rules,
                     const std::function<LongTrialDecision()>& duringLongTrial, TrialArithmetic arithmetic) {
  return WithTrialStep(rules, arithmetic, [&](const auto& step) {
    TrialRun run{StateAtRest(x, y)};
    while (AdvanceTrial(run, step)) {
      if (AtLongTrialLook(run) && duringLongTrial && duringLongTrial() == LongTrialDecision::abandon) break;
    }
    return ResultOf(run);
  });
}

TrialResult TraceTrial(double x, double y, const TrialRules& rules,
                       const std::function<void(double x, double y)>& afterStep,
                       const std::function<LongTrialDecision()>& duringLongTrial) {
  return WithTrialStep(rules, TrialArithmetic::program, [&](const auto& step) {
    TrialRun run{StateAtRest(x, y)};
    bool goesOn = true;
    while (goesOn) {
      const std::int64_t stepsBefore = run.steps;
      goesOn = AdvanceTrial(run, step);
      if (run.steps > stepsBefore) afterStep(run.state.x, run.state.y);
      if (goesOn && AtLongTrialLook(run) && duringLongTrial && duringLongTrial() == LongTrialDecision::abandon) {
        break;
      }
    }
    return ResultOf(run);
  });
}

}  // namespace app
