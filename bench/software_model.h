// The model and the map scan compiled a second time with Real the software
// extended type (software_model.cpp), so that one benchmark run compares the
// software type with the x87, both native.
#pragma once

#include <cstdint>

namespace bench {

// The fields of app::PendulumState.
struct Pendulum {
  double x = 0;
  double y = 0;
  double z = 0;
  double vx = 0;
  double vy = 0;
  std::int16_t caughtBy = 0;
};

// app::SimulationStep with the software type (the state copied in and out).
void SoftwareSimulationStep(Pendulum& state, double g, double m, double dt, double captureRadius);

// The default map (app::ScanJob{}) scanned by app::MapScan with the software
// type on `workerThreads` workers; gives the sum of the trials' steps.
std::int64_t SoftwareDefaultMapScan(unsigned workerThreads);

}  // namespace bench
