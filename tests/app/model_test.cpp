#include "app/model.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "tests/support/reference_step.h"

namespace app {
namespace {

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { runtime::LoadFloatingPointControl(); }
};

TEST_F(ModelTest, MagnetsLieOnACircleOfRadiusSqrt1800) {
  const auto& magnets = Magnets();
  EXPECT_EQ(magnets[0].x, -42.42640687119285);
  EXPECT_EQ(magnets[0].y, 0.0);
  EXPECT_EQ(magnets[1].x, 30.0);
  EXPECT_EQ(magnets[1].y, 30.0);
  EXPECT_EQ(magnets[2].x, 30.0);
  EXPECT_EQ(magnets[2].y, -30.0);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(magnets[k].index, k + 1);
}

// Golden values for g = 5, m = 400 at (-50, 50): exact doubles.
TEST_F(ModelTest, GoldenForcesAtTheDefaultStart) {
  const Restoring restoring = RestoringForce(5, pendulumLength, -50, 50);
  EXPECT_EQ(restoring.z, 12.91713066130293);
  EXPECT_EQ(restoring.force.x, 1.1692679333668565);
  EXPECT_EQ(restoring.force.y, -1.1692679333668565);

  for (double radius : {pathCaptureRadius, mapCaptureRadius}) {
    const TotalForceResult total = TotalForce(5, 400, -50, 50, radius);
    EXPECT_EQ(total.z, 12.91713066130293);
    EXPECT_EQ(total.force.x, 1.2672752689358655);
    EXPECT_EQ(total.force.y, -1.3453566447473344);
    EXPECT_EQ(total.caughtBy, 0);
  }
}

TEST_F(ModelTest, RestoringForceAtTheCentreAndBeyondTheRod) {
  const Restoring centre = RestoringForce(5, pendulumLength, 0, 0);
  EXPECT_EQ(centre.z, 0.0);
  EXPECT_EQ(centre.force.x, 0.0);
  EXPECT_EQ(centre.force.y, 0.0);
  EXPECT_FALSE(std::signbit(centre.force.x));

  for (double x : {200.0, 250.0, 1e6}) {
    const Restoring far = RestoringForce(5, pendulumLength, x, 0);
    EXPECT_EQ(far.z, 200.0) << x;
    EXPECT_EQ(far.force.x, 0.0) << x;
    EXPECT_EQ(far.force.y, 0.0) << x;
  }
}

TEST_F(ModelTest, RestoringForcePointsToTheCentre) {
  const Restoring r = RestoringForce(5, pendulumLength, 30, -40);  // r = 50
  EXPECT_LT(r.force.x, 0);
  EXPECT_GT(r.force.y, 0);
  // g sin cos with sin = 1/4: 5 * 0.25 * sqrt(15)/4 along the direction.
  const double magnitude = std::hypot(r.force.x, r.force.y);
  EXPECT_NEAR(magnitude, 5 * 0.25 * std::sqrt(15.0) / 4, 1e-12);
}

TEST_F(ModelTest, CaptureRadiusBoundCountsAsInside) {
  const Magnet& magnet = Magnets()[1];  // (30, 30)
  struct Case {
    double x;
    double radius;
    std::int16_t expected;
  } cases[] = {
      {30.0, 0.5, 2},     // straight above: rh = 0, no division
      {30.5, 0.5, 2},     // exactly on the bound
      {30.5000001, 0.5, 0},
      {39.0, 9.0, 2},
      {39.0000001, 9.0, 0},
  };
  for (const Case& c : cases) {
    std::int16_t caughtBy = 0;
    const Force pull = MagnetPull(400, magnet, c.x, 30, 0, c.radius, caughtBy);
    EXPECT_EQ(caughtBy, c.expected) << c.x;
    if (c.expected != 0) {
      EXPECT_EQ(pull.x, 0.0);
      EXPECT_EQ(pull.y, 0.0);
    } else {
      EXPECT_LT(pull.x, 0.0);  // pulled back towards the magnet at x = 30
    }
  }
}

TEST_F(ModelTest, AnEarlierCatchIsKept) {
  std::int16_t caughtBy = 1;
  MagnetPull(400, Magnets()[2], 30, -30, 0, 9, caughtBy);
  EXPECT_EQ(caughtBy, 1);
}

TEST_F(ModelTest, LowestIndexWinsWhenTwoMagnetsAreWithinTheRadius) {
  // With a radius of 40 the point (30, 0) is within reach of magnets 2 and 3.
  EXPECT_EQ(TotalForce(5, 400, 30, 0, 40).caughtBy, 2);
  // And with 80 all three are within reach of the centre.
  EXPECT_EQ(TotalForce(5, 400, 0, 0, 80).caughtBy, 1);
}

TEST_F(ModelTest, ACaughtBobGetsNoPullFromItsMagnetButFromTheOthers) {
  const TotalForceResult total = TotalForce(5, 400, 30, 30, 0.5);
  EXPECT_EQ(total.caughtBy, 2);
  const Restoring restoring = RestoringForce(5, pendulumLength, 30, 30);
  EXPECT_NE(total.force.x, restoring.force.x);
}

TEST_F(ModelTest, StepMovesWithTheNewVelocity) {
  PendulumState state = StateAtRest(-50, 50);
  SimulationStep(state, 5, 400, pathTimeStep, pathCaptureRadius);
  const runtime::Real dt = 0.1f;
  const double vx = static_cast<double>(dt * 1.2672752689358655 + 0.0);
  const double vy = static_cast<double>(dt * -1.3453566447473344 + 0.0);
  EXPECT_EQ(state.vx, vx);
  EXPECT_EQ(state.vy, vy);
  EXPECT_EQ(state.x, static_cast<double>(dt * vx + -50.0));
  EXPECT_EQ(state.y, static_cast<double>(dt * vy + 50.0));
  // The height is that of the position before the step.
  EXPECT_EQ(state.z, 12.91713066130293);
  EXPECT_EQ(state.caughtBy, 0);
}

TEST_F(ModelTest, StepIsMadeInFullEvenWhenCaught) {
  PendulumState state = StateAtRest(30.2, 30);
  SimulationStep(state, 5, 400, pathTimeStep, pathCaptureRadius);
  EXPECT_EQ(state.caughtBy, 2);
  EXPECT_NE(state.x, 30.2);  // the restoring force and magnets 1 and 3 still moved it
}

TEST_F(ModelTest, TimeStepsAreTheWidenedSingles) {
  EXPECT_EQ(pathTimeStep, 0.100000001490116119384765625);
  EXPECT_EQ(mapTimeStep, 0.20000000298023223876953125);
}

// The whole default path pins the arithmetic: a changed order of operations
// or a lost extended intermediate moves the bob elsewhere within a few
// thousand steps.
TEST_F(ModelTest, DefaultPathIsCaughtByMagnetThreeAfter5461Steps) {
  PendulumState state = StateAtRest(-50, 50);
  int steps = 0;
  while (state.caughtBy == 0 && steps < 200000) {
    SimulationStep(state, 5, 400, pathTimeStep, pathCaptureRadius);
    ++steps;
  }
  EXPECT_EQ(steps, 5461);
  EXPECT_EQ(state.caughtBy, 3);
}

// The model against the same arithmetic written straight through in the
// x87's long double: any difference in the order of operations or in a
// rounding point shows in the last bits of some state; so does any
// difference of the software type from the x87, which is held to the
// reference in every build. Only where long double is the x87's format.
#if LDBL_MANT_DIG == 64
bool SameState(const PendulumState& model, const reference::State& plain) {
  return model.x == plain.x && model.y == plain.y && model.z == plain.z && model.vx == plain.vx &&
         model.vy == plain.vy && model.caughtBy == plain.caughtBy;
}

TEST_F(ModelTest, StepGivesTheBitsOfThePlainReference) {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> position(-260, 260);
  std::uniform_real_distribution<double> speed(-40, 40);
  std::uniform_real_distribution<double> strength(0.01, 1000);
  for (int i = 0; i < 5000; ++i) {
    const double x = i % 50 == 0 ? Magnets()[i / 50 % 3].x : position(random);
    const double y = i % 50 == 0 ? Magnets()[i / 50 % 3].y : i % 50 == 1 ? 0.0 : position(random);
    const double vx = speed(random);
    const double vy = speed(random);
    const double g = strength(random) / 50;
    const double m = strength(random);
    const bool path = i % 2 == 0;
    const double dt = path ? pathTimeStep : mapTimeStep;
    const double radius = path ? pathCaptureRadius : mapCaptureRadius;

    reference::State plain{x, y, 0, vx, vy, 0};
    reference::Step(plain, g, m, dt, radius);
    for (const auto step : {&SimulationStep<runtime::Real>, &SimulationStep<runtime::SoftwareReal>}) {
      PendulumState model{x, y, 0, vx, vy, 0};
      step(model, g, m, dt, radius);
      ASSERT_TRUE(SameState(model, plain)) << i;
    }
  }
}

// Any pendulum against the same arithmetic written straight through: 1 to 8
// magnets anywhere with strengths, at a height, with or without friction.
TEST_F(ModelTest, FieldStepGivesTheBitsOfThePlainReference) {
  std::mt19937_64 random(20261210);
  std::uniform_real_distribution<double> place(-200, 200);
  std::uniform_real_distribution<double> speed(-40, 40);
  std::uniform_real_distribution<double> strength(0.01, 1000);
  std::uniform_int_distribution<int> count(1, 8);
  for (int i = 0; i < 3000; ++i) {
    Pendulum pendulum;
    pendulum.magnets.resize(static_cast<std::size_t>(count(random)));
    for (MagnetPlace& magnet : pendulum.magnets) magnet = {place(random), place(random), strength(random) / 100};
    pendulum.height = i % 3 == 0 ? 0 : strength(random) / 20;
    pendulum.friction = i % 4 == 0 ? 0 : strength(random) / 1000;
    const double g = strength(random) / 50;
    const double m = strength(random);
    const MagnetField field = FieldOf(pendulum, m);
    reference::Field plainField{static_cast<int>(field.magnets.size()), {}, {}, {}, {}, pendulum.friction};
    for (std::size_t k = 0; k < field.magnets.size(); ++k) {
      plainField.x[k] = field.magnets[k].x;
      plainField.y[k] = field.magnets[k].y;
      plainField.z[k] = -pendulum.height;
      plainField.strength[k] = static_cast<double>(static_cast<long double>(pendulum.magnets[k].strength) * m);
    }
    // Every tenth state starts right over a magnet, within any capture radius.
    const double x = i % 10 == 0 ? pendulum.magnets[0].x : place(random);
    const double y = i % 10 == 0 ? pendulum.magnets[0].y : place(random);
    const double vx = speed(random);
    const double vy = speed(random);

    reference::State plain{x, y, 0, vx, vy, 0};
    reference::StepAny(plain, g, plainField, mapTimeStep, mapCaptureRadius);
    for (const auto step : {&FieldStep<runtime::Real>, &FieldStep<runtime::SoftwareReal>}) {
      PendulumState model{x, y, 0, vx, vy, 0};
      step(model, g, field, mapTimeStep, mapCaptureRadius);
      ASSERT_TRUE(SameState(model, plain)) << i;
    }
  }
}
#endif

// The form's pendulum through the general formulas gives the form's step's
// bits, on either extended type, along the whole default path.
TEST_F(ModelTest, FieldStepOfTheFormsPendulumIsTheFormsStep) {
  const MagnetField field = FieldOf(Pendulum{}, 400);
  const auto stepsAlike = [&](auto formStep, auto fieldStep) {
    PendulumState form = StateAtRest(-50, 50);
    PendulumState any = form;
    for (int step = 0; step < 5461; ++step) {
      formStep(form, 5, 400, pathTimeStep, pathCaptureRadius);
      fieldStep(any, 5, field, pathTimeStep, pathCaptureRadius);
      if (form.x != any.x || form.y != any.y || form.vx != any.vx || form.vy != any.vy || form.z != any.z ||
          form.caughtBy != any.caughtBy) {
        return step;
      }
    }
    return -1;
  };
  EXPECT_EQ(stepsAlike(&SimulationStep<runtime::Real>, &FieldStep<runtime::Real>), -1);
  EXPECT_EQ(stepsAlike(&SimulationStep<runtime::SoftwareReal>, &FieldStep<runtime::SoftwareReal>), -1);
}

}  // namespace
}  // namespace app
