#include "app/pendulum.h"

#include <cmath>
#include <cstdlib>

#include "app/model.h"
#include "app/number_text.h"
#include "runtime/numeric.h"

namespace app {

using runtime::Real;

std::vector<MagnetPlace> DefaultMagnetPlaces() {
  std::vector<MagnetPlace> places;
  for (const Magnet& magnet : Magnets()) places.push_back({magnet.x, magnet.y});
  return places;
}

bool Pendulum::HasFormField() const {
  return magnets == DefaultMagnetPlaces() && height == 0 && friction == 0;
}

namespace {

// pi in extended precision: the double nearest to it plus the rest.
Real Pi() { return Real(3.141592653589793) + Real(1.2246467991473532e-16); }

// Sine and cosine of |x| <= pi/4 from their Taylor series, summed from the
// smallest term up (x^21 / 21! is below 2^-70 there).
struct SineCosine {
  Real sine;
  Real cosine;
};
SineCosine SeriesOf(Real x) {
  const Real square = x * x;
  Real sine = 1;
  Real cosine = 1;
  for (int k = 10; k >= 1; --k) {
    sine = 1 - square / Real((2 * k) * (2 * k + 1)) * sine;
    cosine = 1 - square / Real((2 * k - 1) * (2 * k)) * cosine;
  }
  return {x * sine, cosine};
}

// Sine and cosine of an angle in degrees: the nearest multiple of 90
// degrees taken off exactly, the rest from the series.
SineCosine OfDegrees(Real degrees) {
  const Real quadrants = runtime::RoundToIntegral(degrees / 90);
  const Real rest = degrees - quadrants * 90;
  const SineCosine near = SeriesOf(rest * (Pi() / 180));
  const long quadrant = static_cast<long>(static_cast<double>(quadrants));
  switch (((quadrant % 4) + 4) % 4) {
    case 0: return near;
    case 1: return {near.cosine, -near.sine};
    case 2: return {-near.sine, -near.cosine};
    default: return {-near.cosine, near.sine};
  }
}

// +0 for either zero, so that no -0 reaches a printed command.
double WithoutNegativeZero(double value) { return value == 0 ? 0.0 : value; }

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

const std::string magnetsForm =
    "must be \"X,Y[,S];X,Y[,S];...\" (1 to 8 magnets) or \"N@R[,A]\", not '";

MagnetReading ReadCircle(const std::string& text) {
  const std::size_t at = text.find('@');
  const std::vector<std::string> circle = Split(text.substr(at + 1), ',');
  const std::optional<double> count = FiniteNumber(text.substr(0, at));
  const std::optional<double> radius = FiniteNumber(circle[0]);
  const std::optional<double> angle = circle.size() == 2 ? FiniteNumber(circle[1]) : std::optional<double>(180);
  if (!count || !radius || !angle || circle.size() > 2) return {{}, magnetsForm + text + "'"};
  if (!(*count >= 1 && *count <= largestMagnetCount && *count == std::floor(*count))) {
    return {{}, "N must be a whole number from 1 to 8, not '" + text.substr(0, at) + "'"};
  }
  if (!(*radius >= 0)) return {{}, "the radius R must be at least 0, not '" + circle[0] + "'"};
  return {MagnetsOnCircle(static_cast<int>(*count), *radius, *angle), {}};
}

}  // namespace

std::vector<MagnetPlace> MagnetsOnCircle(int count, double radius, double firstAngle) {
  std::vector<MagnetPlace> magnets;
  for (int k = 0; k < count; ++k) {
    const SineCosine direction = OfDegrees(Real(firstAngle) + Real(360 * k) / count);
    magnets.push_back({WithoutNegativeZero(static_cast<double>(direction.cosine * radius)),
                       WithoutNegativeZero(static_cast<double>(direction.sine * radius))});
  }
  return magnets;
}

MagnetReading ReadMagnets(const std::string& text) {
  if (text.find('@') != std::string::npos) return ReadCircle(text);
  MagnetReading reading;
  for (const std::string& magnet : Split(text, ';')) {
    const std::vector<std::string> numbers = Split(magnet, ',');
    std::optional<double> values[3] = {std::nullopt, std::nullopt, 1.0};
    const bool shaped = numbers.size() == 2 || numbers.size() == 3;
    for (std::size_t i = 0; shaped && i < numbers.size(); ++i) values[i] = FiniteNumber(numbers[i]);
    if (!shaped || !values[0] || !values[1] || !values[2]) return {{}, magnetsForm + text + "'"};
    reading.magnets.push_back({*values[0], *values[1], *values[2]});
  }
  if (reading.magnets.size() > largestMagnetCount) {
    return {{}, "at most 8 magnets, not " + std::to_string(reading.magnets.size())};
  }
  return reading;
}

std::string PendulumMistake(const Pendulum& pendulum) {
  for (std::size_t k = 0; k < pendulum.magnets.size(); ++k) {
    const MagnetPlace& magnet = pendulum.magnets[k];
    const std::string which = "--magnets: magnet " + std::to_string(k + 1);
    if (!(std::fabs(magnet.x) <= largestMagnetOffset && std::fabs(magnet.y) <= largestMagnetOffset)) {
      return which + " lies beyond 200 from the centre on an axis (" + ShortestText(magnet.x) + ", " +
             ShortestText(magnet.y) + ")";
    }
    if (!(magnet.strength > 0)) return which + ": its strength must be above 0, not " + ShortestText(magnet.strength);
    for (std::size_t other = 0; other < k; ++other) {
      if (pendulum.magnets[other].x == magnet.x && pendulum.magnets[other].y == magnet.y) {
        return which + " lies where magnet " + std::to_string(other + 1) + " lies";
      }
    }
  }
  if (pendulum.magnets.empty() || pendulum.magnets.size() > largestMagnetCount) return "--magnets: 1 to 8 magnets";
  if (!(pendulum.height >= 0 && std::isfinite(pendulum.height))) return "--height must be at least 0";
  if (!(pendulum.friction >= 0 && std::isfinite(pendulum.friction))) return "--friction must be at least 0";
  if (!(pendulum.captureRadius > 0 && std::isfinite(pendulum.captureRadius))) return "--capture must be above 0";
  return {};
}

std::string PendulumOptions(const Pendulum& pendulum) {
  const Pendulum form;
  std::string options;
  if (pendulum.magnets != form.magnets) options += " --magnets=\"" + MagnetsText(pendulum.magnets) + "\"";
  if (pendulum.height != form.height) options += " --height " + ShortestText(pendulum.height);
  if (pendulum.friction != form.friction) options += " --friction " + ShortestText(pendulum.friction);
  if (pendulum.captureRadius != form.captureRadius) options += " --capture " + ShortestText(pendulum.captureRadius);
  return options;
}

std::string MagnetsText(const std::vector<MagnetPlace>& magnets) {
  std::string text;
  for (const MagnetPlace& magnet : magnets) {
    if (!text.empty()) text += ';';
    text += ShortestText(magnet.x) + "," + ShortestText(magnet.y);
    if (magnet.strength != 1) text += "," + ShortestText(magnet.strength);
  }
  return text;
}

}  // namespace app
