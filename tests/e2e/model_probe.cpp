// Prints the model's results as exact bits, so that two builds (Linux and
// the Windows build under Wine) can be compared line by line: the golden
// start, thousands of force evaluations at pseudo-random points with
// pseudo-random g, m and capture radius, paths of a few hundred steps, the
// default map's trials (on a worker thread, as the map run computes them)
// and form texts read as numbers.
// Usage: model_probe [force evaluations [map trial steps]]
//        (defaults 5000 and the default map's 2000; fewer steps make a
//        shorter map where every step costs much, as under an emulator)
#include <bit>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/model.h"
#include "app/start_point_map.h"
#include "runtime/numeric.h"
#include "runtime/text_to_number.h"

namespace {

// A 64-bit generator that every platform runs alike (splitmix64).
class Sequence {
 public:
  std::uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15u;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // A double in [low, high), from the top 53 bits.
  double Between(double low, double high) {
    const double unit = static_cast<double>(Next() >> 11) * 0x1p-53;
    return low + unit * (high - low);
  }

 private:
  std::uint64_t state_ = 20240611;
};

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

void PrintForce(const char* what, const app::TotalForceResult& result) {
  std::printf("%s %016" PRIx64 " %016" PRIx64 " %016" PRIx64 " %d\n", what, Bits(result.z),
              Bits(result.force.x), Bits(result.force.y), result.caughtBy);
}

// Digest of every trial of the default map (g 5, m 400, n `trialSteps`,
// 2000 by default), computed on a thread of its own as the map run's
// workers do.
std::uint64_t MapDigest(double trialSteps) {
  std::uint64_t digest = 1469598103934665603u;
  std::thread worker([&] {
    runtime::LoadFloatingPointControl();
    const std::int64_t limit = app::TrialStepLimit(trialSteps);
    const app::ScanJob map;
    for (int trial = 0; trial < app::gridTrials; ++trial) {
      const app::TrialResult result = app::RunTrial(map.X(trial), map.Y(trial), {5, 400, limit, {}});
      digest = (digest ^ static_cast<std::uint64_t>(result.caughtBy)) * 1099511628211u;
      digest = (digest ^ static_cast<std::uint64_t>(result.steps)) * 1099511628211u;
    }
  });
  worker.join();
  return digest;
}

}  // namespace

int main(int argc, char** argv) {
  const int evaluations = argc > 1 ? std::atoi(argv[1]) : 5000;
  const double mapTrialSteps = argc > 2 ? std::atof(argv[2]) : 2000;
  runtime::LoadFloatingPointControl();

  PrintForce("golden", app::TotalForce(5, 400, -50, 50, app::pathCaptureRadius));
  Sequence sequence;
  for (int i = 0; i < evaluations; ++i) {
    const double g = sequence.Between(0.01, 20);
    const double m = sequence.Between(1, 2000);
    const double x = sequence.Between(-250, 250);
    const double y = sequence.Between(-250, 250);
    const double radius = (sequence.Next() & 1) != 0 ? app::mapCaptureRadius : app::pathCaptureRadius;
    PrintForce("force", app::TotalForce(g, m, x, y, radius));
  }
  for (int path = 0; path < 20; ++path) {
    // One after the other: the order in which a call's arguments are
    // evaluated differs between compilers for x86-64 and ARM64.
    const double x = sequence.Between(-110, 110);
    const double y = sequence.Between(-110, 110);
    app::PendulumState state = app::StateAtRest(x, y);
    for (int step = 0; step < 300 && state.caughtBy == 0; ++step) {
      app::SimulationStep(state, 5, 400, app::pathTimeStep, app::pathCaptureRadius);
    }
    std::printf("path %016" PRIx64 " %016" PRIx64 " %016" PRIx64 " %016" PRIx64 " %d\n", Bits(state.x),
                Bits(state.y), Bits(state.vx), Bits(state.vy), state.caughtBy);
  }
  for (const char* text : {"-50", "0.03", "1e3", "12345678901234567891", "1e400", "1e-5000", "&HFFFF",
                           "3.14159265358979323846", ".1", "1D-300", "4.9406564584124654E-324"}) {
    std::printf("number %s %016" PRIx64 "\n", text, Bits(static_cast<double>(runtime::TextToNumber(text))));
  }
  std::printf("map %016" PRIx64 "\n", MapDigest(mapTrialSteps));
  return 0;
}
