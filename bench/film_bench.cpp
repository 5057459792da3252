// A zoom film's cost on one machine: its frames made by `magpend film`
// (two frames at a time on all cores, each written as its map) against the
// same frames made by the `magpend map` commands it prints for them, one
// after the other, in interleaved rounds (medians, so that a moment of load
// does not decide the ratio); the film makes no video here, which is
// ffmpeg's time, not the frames'. Then the processor time of one 1280 x 720
// frame of the default view (the film's first frame from 0:0:220), the
// number a film's total cost is reckoned from.
// Usage: film_bench <path of magpend> [rounds]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int frames = 6;
constexpr int wide = 256;
constexpr int high = 144;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

template <typename Work>
double SecondsOf(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "film_bench: failed: %s\n", command.c_str());
}

// The standard output of a command.
std::string Output(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
    pclose(pipe);
  }
  return text;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Processor seconds of the finished children so far.
double ChildrenSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: film_bench <path of magpend> [rounds]\n", stderr);
    return 2;
  }
  const std::string binary = Quoted(argv[1]);
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "magpend-film-bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string film = binary + " film -o " + Quoted((folder / "zoom.mp4").string()) + " --size " +
                           std::to_string(wide) + "x" + std::to_string(high) + " --frames " + std::to_string(frames) +
                           " --from 0:0:220 --to 28.5:-1.25:2";

  std::vector<std::string> maps;
  for (int frame = 0; frame < frames; ++frame) {
    std::string command = Output(film + " --print-frame " + std::to_string(frame));
    command.erase(command.find_last_not_of('\n') + 1);
    maps.push_back(binary + command.substr(command.find(' ')) + " -o " + Quoted((folder / "map.png").string()));
  }
  std::vector<double> filmSeconds, mapSeconds;
  for (int round = 0; round < rounds; ++round) {
    std::filesystem::remove_all(folder / "zoom.frames");
    filmSeconds.push_back(SecondsOf([&] { Run(film + " --frame-range 0:" + std::to_string(frames)); }));
    mapSeconds.push_back(SecondsOf([&] {
      for (const std::string& map : maps) Run(map);
    }));
  }
  const double trials = static_cast<double>(frames) * wide * high;
  const double a = Median(mapSeconds);
  const double b = Median(filmSeconds);
  std::printf("median of %d rounds, a zoom of %d frames of %d x %d from 0:0:220 to 28.5:-1.25:2:\n", rounds, frames,
              wide, high);
  std::printf("(a) magpend map on each frame:   %7.2f s   %9.0f trials/s\n", a, trials / a);
  std::printf("(b) magpend film, its frames:    %7.2f s   %9.0f trials/s   b/a = %.3f\n", b, trials / b, b / a);

  std::filesystem::remove_all(folder / "zoom.frames");
  const double before = ChildrenSeconds();
  const double wall = SecondsOf([&] {
    Run(binary + " film -o " + Quoted((folder / "view.mp4").string()) +
        " --size 1280x720 --frames 1 --from 0:0:220 --to 0:0:220 --frame-range 0:1");
  });
  std::printf("one 1280 x 720 frame of the default view: %.1f processor seconds (%.1f s on all cores)\n",
              ChildrenSeconds() - before, wall);
  std::filesystem::remove_all(folder);
  return 0;
}
