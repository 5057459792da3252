// A film's video, made from its frames folder by Debian's ffmpeg run as a
// child process (cli/child_process.h): the PNG frames read in order
// (-framerate F -i DIR/%06d.png), H.264 with 4:2:0 chroma (-pix_fmt
// yuv420p, which players expect) in MP4, or VP9 in WebM, at the frames'
// size and the film's frame rate. ffmpeg writes a temporary file beside the
// video, renamed over it only when ffmpeg succeeded, so the video is
// written whole or not at all.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "cli/command_line.h"

namespace cli {

// ffmpeg on the PATH, or nothing.
std::optional<std::filesystem::path> FindEncoder();

enum class VideoOutcome {
  written,
  notWritten,  // the problem says why
  stopped,     // stopRequested said so when ffmpeg had ended; nothing written
};
struct VideoResult {
  VideoOutcome outcome = VideoOutcome::written;
  std::string problem;
};

// Encodes frames 0 .. frameCount-1 of the film's frames folder (all there)
// into film.output with `encoder`.
VideoResult EncodeVideo(const FilmCommand& film, const std::filesystem::path& encoder,
                        const std::function<bool()>& stopRequested);

}  // namespace cli
