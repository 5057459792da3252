// The model, the map scan and the numeric helpers compiled once more with
// Real the software type, in namespaces of their own (softwareApp,
// softwareRuntime), beside the program's own x87 build of them. The standard
// headers come first, so that the renaming touches only this program's code.
#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <concepts>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

#ifndef MAGPEND_SOFTWARE_REAL
#define MAGPEND_SOFTWARE_REAL 1
#endif
#define app softwareApp
#define runtime softwareRuntime
#include "app/map_scan.cpp"
#include "app/model.cpp"
#include "runtime/numeric.cpp"
#undef app
#undef runtime

#include "bench/software_model.h"

namespace bench {

void SoftwareSimulationStep(Pendulum& state, double g, double m, double dt, double captureRadius) {
  softwareApp::PendulumState s{state.x, state.y, state.z, state.vx, state.vy, state.caughtBy};
  softwareApp::SimulationStep(s, g, m, dt, captureRadius);
  state = {s.x, s.y, s.z, s.vx, s.vy, s.caughtBy};
}

std::int64_t SoftwareDefaultMapScan(unsigned workerThreads) {
  static_assert(std::is_same_v<softwareRuntime::Real, softwareRuntime::SoftwareReal>);
  softwareApp::MapScan scan(softwareApp::ScanJob{}, workerThreads);
  std::int64_t steps = 0;
  while (const auto result = scan.Next()) steps += result->steps;
  return steps;
}

}  // namespace bench
