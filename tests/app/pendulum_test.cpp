#include "app/pendulum.h"

#include <gtest/gtest.h>

#include <cmath>

#include "runtime/numeric.h"

namespace app {
namespace {

class PendulumTest : public ::testing::Test {
 protected:
  void SetUp() override { runtime::LoadFloatingPointControl(); }
};

TEST_F(PendulumTest, DescriptionsReadToTheirMagnets) {
  const double r = 42.42640687119285;  // sqrt(1800) as the form's first magnet has it
  const struct {
    std::string text;
    std::vector<MagnetPlace> magnets;
  } cases[] = {
      {"-42.42640687119285,0;30,30;30,-30", DefaultMagnetPlaces()},
      {"1,2", {{1, 2, 1}}},
      {"-40,0;30,30,2.5", {{-40, 0, 1}, {30, 30, 2.5}}},
      {"1e1,-2E0,1e-3", {{10, -2, 0.001}}},
      // On a circle: the first magnet at 180 degrees unless told; quarter
      // turns are exact.
      {"4@40", {{-40, 0}, {0, -40}, {40, 0}, {0, 40}}},
      {"2@10,90", {{0, 10}, {0, -10}}},
      {"1@0", {{0, 0}}},
      {"3@42.42640687119285,180", {{-r, 0}, {21.213203435596427, -36.742346141747674}, {21.213203435596427, 36.742346141747674}}},
  };
  for (const auto& c : cases) {
    const MagnetReading reading = ReadMagnets(c.text);
    EXPECT_EQ(reading.mistake, "") << c.text;
    EXPECT_EQ(reading.magnets, c.magnets) << c.text << " read as " << MagnetsText(reading.magnets);
    // The shortest text reads back to the very same doubles.
    EXPECT_EQ(ReadMagnets(MagnetsText(reading.magnets)).magnets, reading.magnets) << c.text;
  }
  EXPECT_EQ(DefaultMagnetPlaces()[0].x, -r);
}

TEST_F(PendulumTest, WrongDescriptionsSayWhatIsWrong) {
  const struct {
    std::string text;
    std::string mistake;
  } cases[] = {
      {"1,2;3", "must be \"X,Y[,S];X,Y[,S];...\""},
      {"nan,0", "must be"},
      {"inf,0", "must be"},
      {"1,2,3,4", "must be"},
      {"", "must be"},
      {"1,2;", "must be"},
      {"1, 2", "must be"},
      {"1,1;2,2;3,3;4,4;5,5;6,6;7,7;8,8;9,9", "at most 8 magnets, not 9"},
      {"9@10", "N must be a whole number from 1 to 8"},
      {"0@10", "N must be"},
      {"2.5@10", "N must be"},
      {"3@-1", "the radius R must be at least 0"},
      {"3@x", "must be"},
      {"3@10,20,30", "must be"},
  };
  for (const auto& c : cases) {
    const std::string mistake = ReadMagnets(c.text).mistake;
    EXPECT_NE(mistake.find(c.mistake), std::string::npos) << c.text << ": [" << mistake << "]";
  }
}

TEST_F(PendulumTest, PendulumsOutOfRangeAreNamed) {
  const auto with = [](auto change) {
    Pendulum pendulum;
    change(pendulum);
    return PendulumMistake(pendulum);
  };
  EXPECT_EQ(PendulumMistake(Pendulum{}), "");
  EXPECT_EQ(with([](Pendulum& p) { p.magnets = {{200, -200, 1e-9}}; }), "");
  const struct {
    std::string mistake;
    std::string expected;
  } cases[] = {
      {with([](Pendulum& p) { p.magnets = {{1, 1}, {1, 1}}; }), "magnet 2 lies where magnet 1 lies"},
      {with([](Pendulum& p) { p.magnets = {{200.5, 0}}; }), "magnet 1 lies beyond 200"},
      {with([](Pendulum& p) { p.magnets = {{0, 0}, {0, -201}}; }), "magnet 2 lies beyond 200"},
      {with([](Pendulum& p) { p.magnets = {{0, 0, 0}}; }), "strength must be above 0"},
      {with([](Pendulum& p) { p.magnets = {{0, 0, -1}}; }), "strength must be above 0"},
      {with([](Pendulum& p) { p.magnets = MagnetsOnCircle(2, 0, 180); }), "magnet 2 lies where magnet 1 lies"},
      {with([](Pendulum& p) { p.height = -1; }), "--height must be at least 0"},
      {with([](Pendulum& p) { p.friction = -0.5; }), "--friction must be at least 0"},
      {with([](Pendulum& p) { p.captureRadius = 0; }), "--capture must be above 0"},
  };
  for (const auto& c : cases) EXPECT_NE(c.mistake.find(c.expected), std::string::npos) << c.mistake;
}

TEST_F(PendulumTest, OnlyTheFormsMagnetsAtLevelZeroWithoutFrictionAreTheFormsField) {
  Pendulum pendulum;
  EXPECT_TRUE(pendulum.HasFormField());
  pendulum.captureRadius = 3;
  EXPECT_TRUE(pendulum.HasFormField());
  for (auto change : {+[](Pendulum& p) { p.height = 1e-300; }, +[](Pendulum& p) { p.friction = 1e-300; },
                      +[](Pendulum& p) { p.magnets[2].strength = 2; }, +[](Pendulum& p) { p.magnets.pop_back(); }}) {
    Pendulum changed;
    change(changed);
    EXPECT_FALSE(changed.HasFormField());
  }
}

}  // namespace
}  // namespace app
