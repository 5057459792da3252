// The magnetic pendulum: a bob on a pendulum of fixed length over the centre
// of a plane, pulled back to the centre and attracted by magnets. The form's
// pendulum has three magnets at the level of its lowest point and no
// friction; a pendulum of the user's (app/pendulum.h) has 1 to 8 magnets of
// their own strengths, at a height below the lowest point, and friction.
//
// Every named quantity of the formulas is rounded to a double where it is
// formed; everything between two named quantities is evaluated in extended
// precision, and so are the parts two formulas share, computed once (a
// magnet's dx dx + dy dy, the restoring force's -Fh / r). The model is
// pure: it draws nothing and keeps no state, so the same inputs give the
// same bits on every machine and every thread.
//
// The formulas are written once for either extended type (`Number`): the
// program computes with Real, the default. Where the machine has both the
// x87 and the software type (x86-64), the model is compiled for both, so
// that the benchmark and the tests compare them on the same states.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/pendulum.h"
#include "runtime/numeric.h"

namespace app {

using runtime::Real;

// Length of the pendulum, in model units.
inline constexpr double pendulumLength = 200.0;

// A magnet as the model computes with it.
struct Magnet {
  std::int16_t index;  // 1 to 8; also the index of its colour in magnetColors
  double x;            // horizontal position, model units
  double y;
  double z;            // height above the bob's lowest point (0 for the form's, -H below it)
};

// The three magnets, each at the distance sqrt(1800) from the centre, at the
// angles 180, 45 and -45 degrees. The first x is -sqrt(1800) computed at run
// time (-42.42640687119285).
const std::array<Magnet, 3>& Magnets();

// The moving bob (unit mass, so a force is also an acceleration).
struct PendulumState {
  double x = 0;               // horizontal position, model units
  double y = 0;
  double z = 0;               // height above the lowest point, from the latest force evaluation
  double vx = 0;              // velocity, model units per time unit
  double vy = 0;
  std::int16_t caughtBy = 0;  // 0 while free, else the index of the catching magnet
};

// The bob released at rest at (x, y).
PendulumState StateAtRest(double x, double y);

// A horizontal force (or acceleration).
struct Force {
  double x = 0;
  double y = 0;
};

// Height of the bob and the horizontal part of the pendulum's pull back to
// the centre (g sin(theta) cos(theta) towards the centre). At r = 0 there is
// no force and no division; at r >= L the height is L and the pull is 0.
struct Restoring {
  double z;
  Force force;
};
template <runtime::ExtendedReal Number = Real>
Restoring RestoringForce(double g, double length, double x, double y);

// Horizontal part of a pull of magnitude m / R^2 towards `magnet`. When the
// horizontal distance is within captureRadius (the bound counts as inside)
// the pull is 0 and `caughtBy`, if still <= 0, becomes the magnet's index.
template <runtime::ExtendedReal Number = Real>
Force MagnetPull(double m, const Magnet& magnet, double x, double y, double z,
                 double captureRadius, std::int16_t& caughtBy);

// The pulls of the magnets and the restoring force, summed in extended
// precision as ((pull 2 + pull 1) + pull 3) + restoring force and rounded to
// double once. Floating-point addition is not associative: another order
// gives other last bits, and over many steps other paths and other pixels.
// caughtBy is the lowest index among the magnets within the radius, or 0.
struct TotalForceResult {
  double z;
  Force force;
  std::int16_t caughtBy;
};
template <runtime::ExtendedReal Number = Real>
TotalForceResult TotalForce(double g, double m, double x, double y, double captureRadius);

// The field of a pendulum of the user's, made once for a run: its magnets
// with their heights, each one's strength S m rounded to a double (exactly m
// where S = 1), and the friction.
struct MagnetField {
  std::vector<Magnet> magnets;   // magnet k + 1 at index k
  std::vector<double> strengths;  // S m of magnet k + 1 at index k
  double friction = 0;           // K of the drag -K v
};
MagnetField FieldOf(const Pendulum& pendulum, double m);

// The force on the bob of a pendulum of the user's, with the formulas of the
// form's pendulum: the restoring force, each magnet's MagnetPull with its
// strength S m and its height, and the drag -K v of the bob's velocity
// (vx, vy). Summed in extended precision and rounded to double once, in
// this order:
//   ((((pull 2 + pull 1) + pull 3) + pull 4) + ... + pull N) + restoring force
// (pull 1 alone when N = 1), then minus K vx (and K vy) where K > 0; with
// K = 0 no friction term is computed, so the form's three magnets at height
// 0 give TotalForce's bits.
template <runtime::ExtendedReal Number = Real>
TotalForceResult FieldForce(double g, const MagnetField& field, double x, double y, double vx, double vy,
                            double captureRadius);

// One step of semi-implicit Euler: the force at the current position, then
// the velocity, then the position with the new velocity. Stores the height
// and caughtBy of that evaluation. The step is made in full even when a
// magnet catches the bob.
template <runtime::ExtendedReal Number = Real>
void SimulationStep(PendulumState& state, double g, double m, double dt, double captureRadius);

// The same step for a pendulum of the user's, its force from FieldForce.
template <runtime::ExtendedReal Number = Real>
void FieldStep(PendulumState& state, double g, const MagnetField& field, double dt, double captureRadius);

// Time steps and capture radii of the two runs. The steps are the
// single-precision values of 0.1 and 0.2, widened.
inline constexpr double pathTimeStep = 0.1f;
inline constexpr double pathCaptureRadius = 0.5;
inline constexpr double mapTimeStep = 0.2f;
inline constexpr double mapCaptureRadius = defaultCaptureRadius;

}  // namespace app
