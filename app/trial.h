// One trial of the start-point map: a pendulum released at rest at a start
// point, stepped until a magnet catches it, it flies off or its steps run
// out; what its result depends on, and the rules of its step count.
#pragma once

#include <cstdint>
#include <functional>

#include "app/model.h"
#include "app/pendulum.h"

namespace app {

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

// The extended type a trial computes with: the program's Real, or the
// software type where the machine also has the x87 (the benchmark compares
// the software type's scan with the x87's; with a pendulum of the user's,
// the program's Real either way).
enum class TrialArithmetic { program, software };

// What a trial's result depends on besides its start point.
struct TrialRules {
  double g = defaultG;  // pendulum coefficient
  double m = defaultM;  // magnet strength
  // TrialStepLimit of the trial count (a whole count from 1 up is its own).
  std::int64_t stepLimit = static_cast<std::int64_t>(defaultN);
  Pendulum pendulum;              // the magnets, their height, friction, capture radius

  bool operator==(const TrialRules&) const = default;
};

// The rules of the trials of these values.
TrialRules RulesOf(const PendulumValues& values);

// One trial: the bob released at rest at (x, y), stepped with dt 0.2 and
// the pendulum's capture radius until a magnet catches it, it flies off (|X|
// or |Y| at least 4000, tested before every step) or stepLimit steps were
// made.
struct TrialResult {
  std::int16_t caughtBy = 0;  // 0 when not caught
  std::int64_t steps = 0;     // model steps made
};

// Whether a long trial goes on.
enum class LongTrialDecision { goOn, abandon };

// Runs one trial as RunTrial does, and tells `afterStep` where the bob is
// after each step (model units): the path of that trial. A long trial asks
// `duringLongTrial` as RunTrial does.
TrialResult TraceTrial(double x, double y, const TrialRules& rules,
                       const std::function<void(double x, double y)>& afterStep,
                       const std::function<LongTrialDecision()>& duringLongTrial = {});

// Runs one trial on the calling thread. When it is long, `duringLongTrial`
// is asked after its step 32768 and then after every further 65536 steps;
// abandon ends the trial there (its result then says nothing).
TrialResult RunTrial(double x, double y, const TrialRules& rules,
                     const std::function<LongTrialDecision()>& duringLongTrial = {},
                     TrialArithmetic arithmetic = TrialArithmetic::program);

}  // namespace app
