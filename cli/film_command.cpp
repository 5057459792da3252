#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "app/map_scan.h"
#include "cli/batch_commands.h"
#include "cli/film_folder.h"
#include "cli/film_frames.h"
#include "cli/film_video.h"
#include "cli/interruption.h"
#include "cli/progress_line.h"
#include "pictures/png_file.h"
#include "runtime/numeric.h"

namespace cli {

namespace {

int Say(int exitCode, const std::string& problem) {
  std::fprintf(stderr, "magpend: %s\n", problem.c_str());
  return exitCode;
}

bool Interrupted() { return InterruptionSignal() != 0; }

int Stopped(const FilmCommand& film) {
  std::fprintf(stderr, "magpend: stopped; the frames finished stay in %s\n", film.framesFolder.string().c_str());
  return exitSignalBase + InterruptionSignal();
}

// Everything the film will write, tried before the first frame: the video's
// folder (unless only frames are made) and the frames folder.
int CheckPlaces(const FilmCommand& film) {
  if (film.step != FilmStep::computeRange) {
    if (auto problem = pictures::CheckWritable(film.output)) return Say(exitWrongInput, *problem);
  }
  if (film.step == FilmStep::encode) {
    if (auto problem = CheckFramesFolderDescription(film)) return Say(exitNotDone, *problem);
  } else if (auto problem = PrepareFramesFolder(film)) {
    return Say(exitWrongInput, *problem);
  }
  return 0;
}

// The frames of the run that are not there yet, computed; 0 when all are there.
int ComputeMissingFrames(const FilmCommand& film) {
  std::vector<MapCommand> frames;
  for (const std::int32_t frame : MissingFrames(film, film.firstFrame, film.endFrame)) {
    frames.push_back(FrameCommand(film, frame));
  }
  if (frames.empty()) return 0;
  ProgressLine progress("film", "frames", static_cast<int>(frames.size()));
  FramesResult result;
  try {
    result = ComputeFrames(frames, app::MapScan::DefaultWorkerThreads(), [&](int done) { progress.After(done); },
                           Interrupted);
  } catch (const std::system_error& error) {
    progress.Clear();
    return Say(exitNotDone, std::string("no threads for the frames: ") + error.what());
  }
  progress.Clear();
  switch (result.outcome) {
    case FramesOutcome::done: return 0;
    case FramesOutcome::stopped: return Stopped(film);
    case FramesOutcome::failed: break;
  }
  return Say(exitNotDone, result.problem);
}

int Encode(const FilmCommand& film, const std::filesystem::path& encoder) {
  const std::vector<std::int32_t> missing = MissingFrames(film, 0, film.plan.frameCount);
  if (!missing.empty()) {
    const std::string more = missing.size() > 1 ? " and " + std::to_string(missing.size() - 1) + " more frames" : "";
    return Say(exitNotDone, FramePath(film.framesFolder, missing.front()).string() + more +
                                   " missing, damaged or of another film; no video written");
  }
  const VideoResult result = EncodeVideo(film, encoder, Interrupted);
  switch (result.outcome) {
    case VideoOutcome::written: return 0;
    case VideoOutcome::stopped:
      std::fputs("magpend: stopped; no video written\n", stderr);
      return exitSignalBase + InterruptionSignal();
    case VideoOutcome::notWritten: break;
  }
  return Say(exitNotDone, result.problem);
}

}  // namespace

int RunFilmCommand(const FilmCommand& film) {
  if (film.step == FilmStep::printFrame) {
    std::printf("%s\n", MapCommandLine(FrameCommand(film, film.printedFrame)).c_str());
    return 0;
  }
  std::optional<std::filesystem::path> encoder;
  if (film.step != FilmStep::computeRange) {
    encoder = FindEncoder();
    if (!encoder) return Say(exitWrongInput, "no ffmpeg on the PATH to make the video (Debian's package ffmpeg); nothing computed");
  }
  if (const int exitCode = CheckPlaces(film); exitCode != 0) return exitCode;
  runtime::LoadFloatingPointControl();
  CatchInterruption();
  if (film.step != FilmStep::encode) {
    if (const int exitCode = ComputeMissingFrames(film); exitCode != 0) return exitCode;
  }
  if (film.step == FilmStep::computeRange) return 0;
  return Encode(film, *encoder);
}

}  // namespace cli
