// The batch map against the bare arithmetic: `magpend map --grid 1001` with
// the form's defaults, run as a command on all cores, against the same
// 1001 x 1001 trials computed one after the other on one thread without any
// picture. Interleaved rounds, medians, so that a moment of load does not
// decide the ratio.
// Usage: batch_bench <path of magpend> [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/map_scan.h"
#include "runtime/numeric.h"

namespace {

constexpr int side = 1001;

template <typename Work>
double SecondsOf(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BareGrid() {
  app::ScanJob job;
  job.grid.side = side;
  job.endRow = side;
  return SecondsOf([&] {
    for (std::int64_t trial = 0; trial < job.TrialCount(); ++trial) {
      app::RunTrial(job.X(trial), job.Y(trial), job.rules);
    }
  });
}

double BatchCommand(const std::string& binary, const std::filesystem::path& output) {
  const std::string command = "'" + binary + "' map --grid " + std::to_string(side) + " -o '" +
                              output.string() + "' 2>/dev/null";
  return SecondsOf([&] {
    if (std::system(command.c_str()) != 0) std::fputs("batch_bench: the command failed\n", stderr);
  });
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: batch_bench <path of magpend> [rounds]\n", stderr);
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  runtime::LoadFloatingPointControl();
  const std::filesystem::path output =
      std::filesystem::temp_directory_path() / "magpend-batch-bench.png";
  std::vector<double> bare, batch;
  for (int round = 0; round < rounds; ++round) {
    bare.push_back(BareGrid());
    batch.push_back(BatchCommand(argv[1], output));
  }
  std::filesystem::remove(output);
  const double a = Median(bare);
  const double b = Median(batch);
  std::printf("median of %d rounds, %d x %d start points, g 5, m 400, n 2000:\n", rounds, side, side);
  std::printf("(a) bare trials, one thread:              %7.2f s\n", a);
  std::printf("(b) magpend map --grid %d, %u cores:     %7.2f s   b/a = %.2f\n", side,
              std::max(1u, std::thread::hardware_concurrency()), b, b / a);
  return 0;
}
