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

template <runtime::ExtendedReal Number>
Force MagnetPull(double m, const Magnet& magnet, double x, double y, double z,
                 double captureRadius, std::int16_t& caughtBy) {
  const Number dx = StoreDouble(Number(magnet.x) - x);
  const Number dy = StoreDouble(Number(magnet.y) - y);
  const Number dz = StoreDouble(Number(magnet.z) - z);
  // rh: horizontal distance between bob and magnet.
  const Number horizontalSquare = dx * dx + dy * dy;
  const Number rh = StoreDouble(SquareRoot(horizontalSquare));
  // Within the capture radius the magnet holds the bob; rh = 0 ends here,
  // so the pull below never divides by zero.
  if (captureRadius >= rh) {
    if (caughtBy <= 0) caughtBy = magnet.index;
    return {0.0, 0.0};
  }
  // R: distance in space; F: the pull m / R^2 times rh / R.
  const Number R = StoreDouble(SquareRoot(horizontalSquare + dz * dz));
  const Number F = StoreDouble((rh * m) / ((R * R) * R));
  const auto Fx = static_cast<double>((dx * F) / rh);
  const auto Fy = static_cast<double>((dy * F) / rh);
  return {Fx, Fy};
}

template <runtime::ExtendedReal Number>
TotalForceResult TotalForce(double g, double m, double x, double y, double captureRadius) {
  std::int16_t caughtBy = 0;
  const Restoring restoring = RestoringForce<Number>(g, pendulumLength, x, y);
  const auto& magnets = Magnets();
  const Force pull1 = MagnetPull<Number>(m, magnets[0], x, y, restoring.z, captureRadius, caughtBy);
  const Force pull2 = MagnetPull<Number>(m, magnets[1], x, y, restoring.z, captureRadius, caughtBy);
  const Force pull3 = MagnetPull<Number>(m, magnets[2], x, y, restoring.z, captureRadius, caughtBy);
  const auto Fx = static_cast<double>(((Number(pull2.x) + pull1.x) + pull3.x) + restoring.force.x);
  const auto Fy = static_cast<double>(((Number(pull2.y) + pull1.y) + pull3.y) + restoring.force.y);
  return {restoring.z, {Fx, Fy}, caughtBy};
}

// Flattened: the force evaluation and the three pulls are inlined into the
// step, so the 80-bit intermediates stay in registers instead of passing
// through memory at every call (the step is what the map repeats millions
// of times).
template <runtime::ExtendedReal Number>
[[gnu::flatten]] void SimulationStep(PendulumState& state, double g, double m, double dt,
                                     double captureRadius) {
  const TotalForceResult total = TotalForce<Number>(g, m, state.x, state.y, captureRadius);
  state.z = total.z;
  state.caughtBy = total.caughtBy;
  const Number step = dt;
  state.vx = static_cast<double>(step * total.force.x + state.vx);
  state.vy = static_cast<double>(step * total.force.y + state.vy);
  state.x = static_cast<double>(step * state.vx + state.x);
  state.y = static_cast<double>(step * state.vy + state.y);
}

// The extended types the model is compiled for: the software type on every
// CPU, the x87's long double where the compiler has it.
template Restoring RestoringForce<runtime::SoftwareReal>(double, double, double, double);
template Force MagnetPull<runtime::SoftwareReal>(double, const Magnet&, double, double, double, double,
                                                 std::int16_t&);
template TotalForceResult TotalForce<runtime::SoftwareReal>(double, double, double, double, double);
template void SimulationStep<runtime::SoftwareReal>(PendulumState&, double, double, double, double);
#if LDBL_MANT_DIG == 64
template Restoring RestoringForce<long double>(double, double, double, double);
template Force MagnetPull<long double>(double, const Magnet&, double, double, double, double, std::int16_t&);
template TotalForceResult TotalForce<long double>(double, double, double, double, double);
template void SimulationStep<long double>(PendulumState&, double, double, double, double);
#endif

}  // namespace app
