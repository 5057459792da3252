#include "app/model.h"

namespace app {

using runtime::MaxReal;
using runtime::SquareRoot;
using runtime::StoreDouble;

const std::array<Magnet, 3>& Magnets() {
  static const std::array<Magnet, 3> magnets = {{
      {1, static_cast<double>(-SquareRoot(1800)), 0.0, 0.0},
      {2, 30.0, 30.0, 0.0},
      {3, 30.0, -30.0, 0.0},
  }};
  return magnets;
}

PendulumState StateAtRest(double x, double y) {
  PendulumState state;
  state.x = x;
  state.y = y;
  return state;
}

// In the formulas below every variable is a double, or a Number holding a
// double where the formulas go on with it: the arithmetic between two
// StoreDouble calls (or conversions to double) runs in extended precision. A
// part that two formulas share is computed once and kept in a Number (the
// compiler does that by itself for long double, not for calls into the
// software type).

template <runtime::ExtendedReal Number>
Restoring RestoringForce(double g, double length, double x, double y) {
  const Number L = length;
  const Number X = x;
  const Number Y = y;
  // r: horizontal distance from the centre.
  const Number r = StoreDouble(SquareRoot(X * X + Y * Y));
  // Z: height of the bob; beyond r = L the rod is horizontal.
  const auto Z = static_cast<double>(L - SquareRoot(MaxReal(L * L - r * r, 0)));
  // F = g sin(theta) along the arc, a = F sin(theta) its vertical part ...
  const Number F = StoreDouble((g / L) * r);
  const Number a = StoreDouble((F / L) * r);
  // ... so Fh = F cos(theta) is the horizontal part.
  const Number Fh = StoreDouble(SquareRoot(MaxReal(F * F - a * a, 0)));
  if (r <= 0) return {Z, {0.0, 0.0}};
  const Number pullPerUnit = -Fh / r;
  const auto Fx = static_cast<double>(pullPerUnit * X);
  const auto Fy = static_cast<double>(pullPerUnit * Y);
  return {Z, {Fx, Fy}};
}

// The values of formula(k) for the magnets k where wanted[k], zeros for
// the others.
template <std::size_t count, typename Formula>
[[gnu::always_inline]] inline auto ForEachMagnet(const std::array<bool, count>& wanted, Formula formula) {
  std::array<decltype(formula(std::size_t{0})), count> values{};
  for (std::size_t k = 0; k < count; ++k) {
    if (wanted[k]) values[k] = formula(k);
  }
  return values;
}

// The pulls of several magnets, each formula for all of them before the
// next: where every operation of the software type is a call of 40 to 80
// instructions, the processor overlaps the magnets' independent chains of
// calls only where they stand side by side in the program.
template <runtime::ExtendedReal Number, std::size_t count>
std::array<Force, count> MagnetPulls(double m, const std::array<Magnet, count>& magnets, double x, double y,
                                     double z, double captureRadius, std::int16_t& caughtBy) {
  std::array<bool, count> every;
  every.fill(true);
  const auto dx = ForEachMagnet(every, [&](std::size_t k) { return StoreDouble(Number(magnets[k].x) - x); });
  const auto dy = ForEachMagnet(every, [&](std::size_t k) { return StoreDouble(Number(magnets[k].y) - y); });
  const auto dz = ForEachMagnet(every, [&](std::size_t k) { return StoreDouble(Number(magnets[k].z) - z); });
  // rh: horizontal distance between bob and magnet.
  const auto horizontalSquare = ForEachMagnet(every, [&](std::size_t k) { return dx[k] * dx[k] + dy[k] * dy[k]; });
  const auto rh = ForEachMagnet(every, [&](std::size_t k) { return StoreDouble(SquareRoot(horizontalSquare[k])); });
  // Within the capture radius the magnet holds the bob: no pull, and
  // nothing more is computed for it (rh = 0 is never a divisor).
  std::array<bool, count> pulling;
  for (std::size_t k = 0; k < count; ++k) {
    pulling[k] = !(captureRadius >= rh[k]);
    if (!pulling[k] && caughtBy <= 0) caughtBy = magnets[k].index;
  }
  // R: distance in space; F: the pull m / R^2 times rh / R.
  const auto R = ForEachMagnet(pulling, [&](std::size_t k) {
    return StoreDouble(SquareRoot(horizontalSquare[k] + dz[k] * dz[k]));
  });
  const auto F = ForEachMagnet(pulling, [&](std::size_t k) {
    return StoreDouble((rh[k] * m) / ((R[k] * R[k]) * R[k]));
  });
  return ForEachMagnet(pulling, [&](std::size_t k) {
    return Force{static_cast<double>((dx[k] * F[k]) / rh[k]), static_cast<double>((dy[k] * F[k]) / rh[k])};
  });
}

// One magnet's pull: the formulas of MagnetPulls, written out for one
// magnet. MagnetPulls for a single magnet gives the same bits, but its
// arrays and flags cost the x87's step a sixth of its time (measured: 166
// against 139 ns a step), so the magnets one after the other take this form.
template <runtime::ExtendedReal Number>
Force MagnetPull(double m, const Magnet& magnet, double x, double y, double z,
                 double captureRadius, std::int16_t& caughtBy) {
  const Number dx = StoreDouble(Number(magnet.x) - x);
  const Number dy = StoreDouble(Number(magnet.y) - y);
  const Number dz = StoreDouble(Number(magnet.z) - z);
  const Number horizontalSquare = dx * dx + dy * dy;
  const Number rh = StoreDouble(SquareRoot(horizontalSquare));
  if (captureRadius >= rh) {
    if (caughtBy <= 0) caughtBy = magnet.index;
    return {0.0, 0.0};
  }
  const Number R = StoreDouble(SquareRoot(horizontalSquare + dz * dz));
  const Number F = StoreDouble((rh * m) / ((R * R) * R));
  return {static_cast<double>((dx * F) / rh), static_cast<double>((dy * F) / rh)};
}

// The three magnets' pulls in their order: side by side where the
// operations are calls, otherwise one magnet after the other (side by side
// the x87's eight registers no longer hold the formulas' values, a quarter
// slower a step, and the WebAssembly build's inlined operations run a tenth
// slower).
template <runtime::ExtendedReal Number>
std::array<Force, 3> PullsOfTheMagnets(double m, double x, double y, double z, double captureRadius,
                                       std::int16_t& caughtBy) {
  const auto& magnets = Magnets();
  if constexpr (std::same_as<Number, runtime::SoftwareReal> && !runtime::SoftwareReal::operationsInlined) {
    return MagnetPulls<Number>(m, magnets, x, y, z, captureRadius, caughtBy);
  } else {
    const Force pull1 = MagnetPull<Number>(m, magnets[0], x, y, z, captureRadius, caughtBy);
    const Force pull2 = MagnetPull<Number>(m, magnets[1], x, y, z, captureRadius, caughtBy);
    const Force pull3 = MagnetPull<Number>(m, magnets[2], x, y, z, captureRadius, caughtBy);
    return {pull1, pull2, pull3};
  }
}

template <runtime::ExtendedReal Number>
TotalForceResult TotalForce(double g, double m, double x, double y, double captureRadius) {
  std::int16_t caughtBy = 0;
  const Restoring restoring = RestoringForce<Number>(g, pendulumLength, x, y);
  const auto [pull1, pull2, pull3] = PullsOfTheMagnets<Number>(m, x, y, restoring.z, captureRadius, caughtBy);
  const auto Fx = static_cast<double>(((Number(pull2.x) + pull1.x) + pull3.x) + restoring.force.x);
  const auto Fy = static_cast<double>(((Number(pull2.y) + pull1.y) + pull3.y) + restoring.force.y);
  return {restoring.z, {Fx, Fy}, caughtBy};
}

MagnetField FieldOf(const Pendulum& pendulum, double m) {
  MagnetField field;
  field.friction = pendulum.friction;
  // The magnets' level, H below the lowest point (0, not -0, for H = 0).
  const double level = pendulum.height == 0 ? 0.0 : -pendulum.height;
  for (std::size_t k = 0; k < pendulum.magnets.size(); ++k) {
    const MagnetPlace& place = pendulum.magnets[k];
    field.magnets.push_back({static_cast<std::int16_t>(k + 1), place.x, place.y, level});
    field.strengths.push_back(static_cast<double>(Real(place.strength) * m));
  }
  return field;
}

template <runtime::ExtendedReal Number>
TotalForceResult FieldForce(double g, const MagnetField& field, double x, double y, double vx, double vy,
                            double captureRadius) {
  std::int16_t caughtBy = 0;
  const Restoring restoring = RestoringForce<Number>(g, pendulumLength, x, y);
  const std::size_t count = field.magnets.size();
  const auto pull = [&](std::size_t k) {
    return MagnetPull<Number>(field.strengths[k], field.magnets[k], x, y, restoring.z, captureRadius, caughtBy);
  };
  // Pull 1 first, as the form's pendulum computes them, then pull 2 added
  // to it from the left: (pull 2 + pull 1), then each further pull.
  const Force first = pull(0);
  Number sumX = first.x;
  Number sumY = first.y;
  for (std::size_t k = 1; k < count; ++k) {
    const Force next = pull(k);
    if (k == 1) {
      sumX = Number(next.x) + sumX;
      sumY = Number(next.y) + sumY;
    } else {
      sumX = sumX + next.x;
      sumY = sumY + next.y;
    }
  }
  sumX = sumX + restoring.force.x;
  sumY = sumY + restoring.force.y;
  if (field.friction > 0) {
    const Number K = field.friction;
    sumX = sumX - K * vx;
    sumY = sumY - K * vy;
  }
  return {restoring.z, {static_cast<double>(sumX), static_cast<double>(sumY)}, caughtBy};
}

// Flattened: the force evaluation and the three pulls are inlined into the
// step, so the 80-bit intermediates stay in registers instead of passing
// through memory at every call (the step is what the map repeats millions
// of times).
template <runtime::ExtendedReal Number>
[[gnu::flatten]] void SimulationStep(PendulumState& state, double g, double m, double dt,
                                     double captureRadius) {
  MoveBob<Number>(state, TotalForce<Number>(g, m, state.x, state.y, captureRadius), dt);
}

// The velocity first, then the position with the new velocity.
template <runtime::ExtendedReal Number>
[[gnu::always_inline]] inline void MoveBob(PendulumState& state, const TotalForceResult& total, double dt) {
  state.z = total.z;
  state.caughtBy = total.caughtBy;
  const Number step = dt;
  state.vx = static_cast<double>(step * total.force.x + state.vx);
  state.vy = static_cast<double>(step * total.force.y + state.vy);
  state.x = static_cast<double>(step * state.vx + state.x);
  state.y = static_cast<double>(step * state.vy + state.y);
}

template <runtime::ExtendedReal Number>
void FieldStep(PendulumState& state, double g, const MagnetField& field, double dt, double captureRadius) {
  MoveBob<Number>(state, FieldForce<Number>(g, field, state.x, state.y, state.vx, state.vy, captureRadius), dt);
}

// The extended types the model is compiled for: the software type on every
// CPU, the x87's long double where the compiler has it.
template Restoring RestoringForce<runtime::SoftwareReal>(double, double, double, double);
template Force MagnetPull<runtime::SoftwareReal>(double, const Magnet&, double, double, double, double,
                                                 std::int16_t&);
template TotalForceResult TotalForce<runtime::SoftwareReal>(double, double, double, double, double);
template void SimulationStep<runtime::SoftwareReal>(PendulumState&, double, double, double, double);
template TotalForceResult FieldForce<runtime::SoftwareReal>(double, const MagnetField&, double, double, double,
                                                            double, double);
template void FieldStep<runtime::SoftwareReal>(PendulumState&, double, const MagnetField&, double, double);
#if LDBL_MANT_DIG == 64
template Restoring RestoringForce<long double>(double, double, double, double);
template Force MagnetPull<long double>(double, const Magnet&, double, double, double, double, std::int16_t&);
template TotalForceResult TotalForce<long double>(double, double, double, double, double);
template void SimulationStep<long double>(PendulumState&, double, double, double, double);
template TotalForceResult FieldForce<long double>(double, const MagnetField&, double, double, double, double,
                                                  double);
template void FieldStep<long double>(PendulumState&, double, const MagnetField&, double, double);
#endif

}  // namespace app
