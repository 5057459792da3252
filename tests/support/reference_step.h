// One model step written straight through, as plainly as possible: the same
// formulas, the same order of operations and the same points where a value
// is rounded to a double as app::SimulationStep, without any helper, record
// or call. The benchmark measures the model against it (the speed the
// arithmetic itself allows) and a test checks that both give the same bits.
#pragma once

namespace reference {

struct State {
  double x, y;    // position
  double z;       // height from the latest force evaluation
  double vx, vy;  // velocity
  int caughtBy;   // 0, or the catching magnet
};

// SquareRoot: a negative argument (or a NaN) comes back unchanged.
inline long double Root(long double v) { return v >= 0 ? __builtin_sqrtl(v) : v; }
// MaxReal(v, 0): the second argument when it is at least the first.
inline long double AtLeastZero(long double v) { return 0 >= v ? 0.0L : v; }

// Magnet 1 lies at (-sqrt(1800), 0); magnets 2 and 3 at (30, 30) and (30, -30).
inline const double magnet1x = -Root(1800);

inline void Step(State& s, double g, double m, double dt, double radius) {
  typedef long double Real;
  const Real L = 200;
  const Real X = s.x;
  const Real Y = s.y;

  // Restoring force.
  const double r = Root(X * X + Y * Y);
  const double Z = L - Root(AtLeastZero(L * L - r * (Real)r));
  const double F = (g / L) * r;
  const double a = (F / L) * r;
  const double Fh = Root(AtLeastZero(F * (Real)F - a * (Real)a));
  double Rx = 0, Ry = 0;
  if (!(r <= 0)) {
    Rx = (-Fh / (Real)r) * X;
    Ry = (-Fh / (Real)r) * Y;
  }

  // The three magnets, in index order.
  const double magnetX[3] = {magnet1x, 30, 30};
  const double magnetY[3] = {0, 30, -30};
  double pullX[3], pullY[3];
  int caughtBy = 0;
  for (int k = 0; k < 3; ++k) {
    const double dx = magnetX[k] - X;
    const double dy = magnetY[k] - Y;
    const double dz = 0 - (Real)Z;
    const double rh = Root(dx * (Real)dx + dy * (Real)dy);
    if (radius >= rh) {
      if (caughtBy <= 0) caughtBy = k + 1;
      pullX[k] = 0;
      pullY[k] = 0;
      continue;
    }
    const double R = Root(dx * (Real)dx + dy * (Real)dy + dz * (Real)dz);
    const double Fm = (rh * (Real)m) / ((R * (Real)R) * R);
    pullX[k] = (dx * (Real)Fm) / rh;
    pullY[k] = (dy * (Real)Fm) / rh;
  }
  const double Fx = (((Real)pullX[1] + pullX[0]) + pullX[2]) + Rx;
  const double Fy = (((Real)pullY[1] + pullY[0]) + pullY[2]) + Ry;

  // Semi-implicit Euler.
  s.z = Z;
  s.caughtBy = caughtBy;
  s.vx = dt * (Real)Fx + s.vx;
  s.vy = dt * (Real)Fy + s.vy;
  s.x = dt * (Real)s.vx + s.x;
  s.y = dt * (Real)s.vy + s.y;
}

// Any pendulum: `count` magnets at (x, y) and height z, each pulling with
// its own strength (S m, already a double), and a drag -friction v.
struct Field {
  int count;
  double x[8], y[8], z[8];
  double strength[8];
  double friction;
};

inline void StepAny(State& s, double g, const Field& field, double dt, double radius) {
  typedef long double Real;
  const Real L = 200;
  const Real X = s.x;
  const Real Y = s.y;

  const double r = Root(X * X + Y * Y);
  const double Z = L - Root(AtLeastZero(L * L - r * (Real)r));
  const double F = (g / L) * r;
  const double a = (F / L) * r;
  const double Fh = Root(AtLeastZero(F * (Real)F - a * (Real)a));
  double Rx = 0, Ry = 0;
  if (!(r <= 0)) {
    Rx = (-Fh / (Real)r) * X;
    Ry = (-Fh / (Real)r) * Y;
  }

  double pullX[8] = {}, pullY[8] = {};
  int caughtBy = 0;
  for (int k = 0; k < field.count; ++k) {
    const double dx = field.x[k] - X;
    const double dy = field.y[k] - Y;
    const double dz = field.z[k] - (Real)Z;
    const double rh = Root(dx * (Real)dx + dy * (Real)dy);
    if (radius >= rh) {
      if (caughtBy <= 0) caughtBy = k + 1;
      pullX[k] = 0;
      pullY[k] = 0;
      continue;
    }
    const double R = Root(dx * (Real)dx + dy * (Real)dy + dz * (Real)dz);
    const double Fm = (rh * (Real)field.strength[k]) / ((R * (Real)R) * R);
    pullX[k] = (dx * (Real)Fm) / rh;
    pullY[k] = (dy * (Real)Fm) / rh;
  }
  // ((pull 2 + pull 1) + pull 3) + ... + restoring force, minus the drag.
  Real sumX = pullX[0], sumY = pullY[0];
  if (field.count > 1) {
    sumX = (Real)pullX[1] + sumX;
    sumY = (Real)pullY[1] + sumY;
  }
  for (int k = 2; k < field.count; ++k) {
    sumX += pullX[k];
    sumY += pullY[k];
  }
  sumX += Rx;
  sumY += Ry;
  if (field.friction > 0) {
    sumX -= field.friction * (Real)s.vx;
    sumY -= field.friction * (Real)s.vy;
  }
  const double Fx = sumX;
  const double Fy = sumY;

  s.z = Z;
  s.caughtBy = caughtBy;
  s.vx = dt * (Real)Fx + s.vx;
  s.vy = dt * (Real)Fy + s.vy;
  s.x = dt * (Real)s.vx + s.x;
  s.y = dt * (Real)s.vy + s.y;
}

}  // namespace reference
