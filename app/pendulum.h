// A pendulum of the user's own: where its magnets lie and how strong each
// one is, how far below the bob's lowest point they lie, the friction on the
// bob, and the capture radius of the map's trials. Its default is the form's
// pendulum: the three magnets at (-sqrt(1800), 0), (30, 30), (30, -30), all
// at the level of the lowest point, no friction, capture radius 9.
//
// A description is read from text (the command line's `--magnets`) and
// checked here, so that every command that takes one refuses the same
// mistakes with the same words.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace app {

// At most this many magnets; each has its colour in magnetColors.
inline constexpr std::size_t largestMagnetCount = 8;
// A magnet's place is within this many model units of the centre on each
// axis (the pendulum is 200 long).
inline constexpr double largestMagnetOffset = 200;
// The map's trials count a bob within this horizontal distance of a magnet
// as caught.
inline constexpr double defaultCaptureRadius = 9.0;

// The form's defaults of the values every trial depends on besides the
// pendulum: the form, every command and the explorer's first view start
// from them.
inline constexpr double defaultG = 5;     // pendulum coefficient
inline constexpr double defaultM = 400;   // magnet strength
inline constexpr double defaultN = 2000;  // trial count

// One magnet: its place over the plane (model units) and its strength
// factor: it pulls with S m / R^2, m the form's magnet strength.
struct MagnetPlace {
  double x = 0;
  double y = 0;
  double strength = 1;

  bool operator==(const MagnetPlace&) const = default;
};

// The form's three magnets; the first x is -sqrt(1800) computed in extended
// precision and rounded once (-42.42640687119285).
std::vector<MagnetPlace> DefaultMagnetPlaces();

struct Pendulum {
  std::vector<MagnetPlace> magnets = DefaultMagnetPlaces();  // 1 to 8, magnet k + 1 at index k
  double height = 0;    // the magnets lie this far below the bob's lowest point (>= 0)
  double friction = 0;  // K of a drag -K v on the bob (>= 0); 0: none at all
  double captureRadius = defaultCaptureRadius;  // of the map's trials (> 0)

  bool operator==(const Pendulum&) const = default;

  // Whether the field is the form's: its three magnets, at height 0,
  // without friction (the capture radius may differ). The model computes
  // such a pendulum with the form's own step.
  bool HasFormField() const;
};

// The values a map's trials depend on, as the user gives them: g, m, the
// trial count n and the pendulum. Every command and the explorer's views
// carry them in this one type; a trial takes its rules from them
// (app/trial.h, RulesOf).
struct PendulumValues {
  double g = defaultG;  // pendulum coefficient
  double m = defaultM;  // magnet strength
  double n = defaultN;  // trial count: steps per start point
  Pendulum pendulum;    // the magnets, their height, friction, capture radius

  bool operator==(const PendulumValues&) const = default;
};

// N magnets evenly on a circle of radius R, the first at `firstAngle`
// degrees, magnet k at firstAngle + 360 k / N. Sine and cosine are computed
// in extended precision from their series with the program's own
// operations, so that every machine places them on the same doubles.
std::vector<MagnetPlace> MagnetsOnCircle(int count, double radius, double firstAngle);

// The magnets read from "X,Y[,S];X,Y[,S];..." or "N@R[,A]" (A defaults to
// 180, where the form's first magnet lies), or what is wrong with the text
// (in words that follow the option's name).
struct MagnetReading {
  std::vector<MagnetPlace> magnets;
  std::string mistake;  // empty when the text is right
};
MagnetReading ReadMagnets(const std::string& text);

// What is wrong with a pendulum (a magnet too far out, two at one place, a
// value out of range), in words that name the option; empty when nothing.
std::string PendulumMistake(const Pendulum& pendulum);

// The magnets as "X,Y[,S];..." with numbers in their shortest exact text,
// which ReadMagnets reads back to the same doubles.
std::string MagnetsText(const std::vector<MagnetPlace>& magnets);

// The command line's options for the values of `pendulum` that differ from
// the form's pendulum, each with a space before it, the magnets quoted for
// a shell (where ";" would end the command): ` --magnets="..." --height H
// --friction K --capture C`, or nothing for the form's pendulum.
std::string PendulumOptions(const Pendulum& pendulum);

}  // namespace app
