#include "cli/film_video.h"

#include <cstdio>
#include <vector>

#include "cli/child_process.h"
#include "pictures/file_steps.h"

namespace cli {

namespace {

// ffmpeg's name pattern of the frames: the folder's own percent signs
// doubled, so that only %06d counts.
std::string FramePattern(const std::filesystem::path& folder) {
  std::string pattern;
  for (const char c : folder.string()) pattern += c == '%' ? std::string("%%") : std::string(1, c);
  return pattern + "/%06d.png";
}

std::vector<std::string> EncoderArguments(const FilmCommand& film, const std::filesystem::path& video) {
  char rate[40];
  std::snprintf(rate, sizeof rate, "%.17g", film.framesPerSecond);
  std::vector<std::string> arguments{"-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                     "-framerate", rate, "-start_number", "0", "-i", FramePattern(film.framesFolder),
                                     "-frames:v", std::to_string(film.plan.frameCount), "-pix_fmt", "yuv420p"};
  // The temporary name has no extension to tell the container by.
  if (film.format == VideoFormat::mp4) {
    arguments.insert(arguments.end(), {"-c:v", "libx264", "-crf", "18", "-movflags", "+faststart", "-f", "mp4"});
  } else {
    arguments.insert(arguments.end(), {"-c:v", "libvpx-vp9", "-crf", "30", "-b:v", "0", "-row-mt", "1", "-f", "webm"});
  }
  arguments.push_back(video.string());
  return arguments;
}

}  // namespace

std::optional<std::filesystem::path> FindEncoder() { return FindProgram("ffmpeg"); }

VideoResult EncodeVideo(const FilmCommand& film, const std::filesystem::path& encoder,
                        const std::function<bool()>& stopRequested) {
  pictures::TemporaryFile video(film.output);
  if (video.File() == nullptr) {
    return {VideoOutcome::notWritten, pictures::CannotWrite(film.output, pictures::SystemReason(video.OpenError()))};
  }
  if (auto problem = video.Close()) return {VideoOutcome::notWritten, pictures::CannotWrite(film.output, *problem)};
  const std::optional<int> exitCode = RunProgram(encoder, EncoderArguments(film, video.Path()));
  if (stopRequested()) return {VideoOutcome::stopped, {}};
  if (!exitCode) return {VideoOutcome::notWritten, "ffmpeg (" + encoder.string() + ") could not be run to its end"};
  if (*exitCode != 0) {
    return {VideoOutcome::notWritten, "ffmpeg could not make " + film.output.string() + " (exit code " +
                                          std::to_string(*exitCode) + ")"};
  }
  if (auto problem = video.RenameTo(film.output)) {
    return {VideoOutcome::notWritten, pictures::CannotWrite(film.output, *problem)};
  }
  return {};
}

}  // namespace cli
