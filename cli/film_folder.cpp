#include "cli/film_folder.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "cli/map_file.h"
#include "pictures/file_steps.h"
#include "pictures/png_file.h"

namespace cli {

namespace {

std::string Digits17(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// A word for a POSIX shell: as it is when it holds only safe characters,
// else in single quotes.
std::string ShellWord(const std::string& word) {
  const bool safe = !word.empty() && word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                           "0123456789/._-+:=") == std::string::npos;
  if (safe) return word;
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::filesystem::path DescriptionPath(const FilmCommand& film) { return film.framesFolder / filmDescriptionName; }

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The description written whole, as a picture is (tasks of a job array
// may write it at the same time: each through a temporary file of its own).
std::optional<std::string> WriteDescription(const FilmCommand& film) {
  const std::filesystem::path path = DescriptionPath(film);
  pictures::TemporaryFile file(path);
  if (file.File() == nullptr) return pictures::CannotWrite(path, pictures::SystemReason(file.OpenError()));
  std::fputs(FilmDescription(film).c_str(), file.File());
  if (auto problem = file.Close()) return pictures::CannotWrite(path, *problem);
  if (auto problem = file.RenameTo(path)) return pictures::CannotWrite(path, *problem);
  return std::nullopt;
}

// Nothing when the description there is this film's, or there is none.
std::optional<std::string> CompareDescription(const FilmCommand& film, const std::optional<std::string>& there) {
  if (!there || *there == FilmDescription(film)) return std::nullopt;
  return film.framesFolder.string() + " holds the frames of another film (its " + filmDescriptionName +
         " describes another)";
}

}  // namespace

std::filesystem::path FramePath(const std::filesystem::path& folder, std::int32_t frame) {
  char name[16];
  std::snprintf(name, sizeof name, "%06d.png", static_cast<int>(frame));
  return folder / name;
}

MapCommand FrameCommand(const FilmCommand& film, std::int32_t frame) {
  MapCommand map;
  map.values = film.values;
  map.gridSide = film.plan.pixelsWide;
  map.gridHeight = film.plan.pixelsHigh == film.plan.pixelsWide ? 0 : film.plan.pixelsHigh;
  map.region = FrameRegion(film.plan, frame);
    const double swept = SweptValueOf(film.sweep, frame, film.plan.frameCount);
  switch (film.sweep.value) {
    case SweptValue::none: break;
    case SweptValue::g: map.values.g = swept; break;
    case SweptValue::m: map.values.m = swept; break;
    case SweptValue::friction: map.values.pendulum.friction = swept; break;
    case SweptValue::height: map.values.pendulum.height = swept; break;
    case SweptValue::magnetX: map.values.pendulum.magnets[static_cast<std::size_t>(film.sweep.magnet)].x = swept; break;
    case SweptValue::magnetY: map.values.pendulum.magnets[static_cast<std::size_t>(film.sweep.magnet)].y = swept; break;
    case SweptValue::magnetStrength:
      map.values.pendulum.magnets[static_cast<std::size_t>(film.sweep.magnet)].strength = swept;
      break;
  }
  map.shading = film.shading;
  map.firstRow = 0;
  map.endRow = film.plan.pixelsHigh;
  map.output = FramePath(film.framesFolder, frame);
  return map;
}

std::string MapCommandLine(const MapCommand& command) {
  std::string line = "magpend map --grid " + std::to_string(command.gridSide);
  if (command.gridHeight != 0) line += "x" + std::to_string(command.gridHeight);
  const app::MapRegion& region = command.region;
  line += " --region " + Digits17(region.x0) + ":" + Digits17(region.x1) + ":" + Digits17(region.y0) + ":" +
          Digits17(region.y1);
  const MapCommand defaults;
  if (command.values.g != defaults.values.g) line += " --g " + Digits17(command.values.g);
  if (command.values.m != defaults.values.m) line += " --m " + Digits17(command.values.m);
  if (command.values.n != defaults.values.n) line += " --n " + Digits17(command.values.n);
  line += app::PendulumOptions(command.values.pendulum);
  if (command.shading == app::Shading::bySteps) line += " --shade";
  return line + " -o " + ShellWord(command.output.string());
}

std::string FilmDescription(const FilmCommand& film) {
  const FilmPlan& plan = film.plan;
  std::ostringstream text;
  const auto keyframe = [](const Keyframe& key) {
    return Digits17(key.x) + ":" + Digits17(key.y) + ":" + Digits17(key.width);
  };
  text << "magpend film\n"
       << "size " << plan.pixelsWide << "x" << plan.pixelsHigh << "\n"
       << "frames " << plan.frameCount << "\n"
       << "from " << keyframe(plan.from) << "\n"
       << "to " << keyframe(plan.to) << "\n"
       << "g " << Digits17(film.values.g) << "\n"
       << "m " << Digits17(film.values.m) << "\n"
       << "n " << Digits17(film.values.n) << "\n"
       << "shade " << (film.shading == app::Shading::bySteps ? "yes" : "no") << "\n";
  // The form's pendulum adds nothing, so films made before it existed are
  // still recognised.
  if (film.values.pendulum != app::Pendulum{}) text << "pendulum" << app::PendulumOptions(film.values.pendulum) << "\n";
  // A zoom's description has no sweep line.
  if (film.sweep.value != SweptValue::none) {
    text << "sweep " << SweptName(film.sweep) << " " << Digits17(film.sweep.first) << ":"
         << Digits17(film.sweep.last) << "\n";
  }
  return text.str();
}

std::optional<std::string> PrepareFramesFolder(const FilmCommand& film) {
  std::error_code error;
  std::filesystem::create_directories(film.framesFolder, error);
  if (error) return "cannot make the frames folder " + film.framesFolder.string() + ": " + error.message();
  if (auto problem = pictures::CheckWritable(FramePath(film.framesFolder, 0))) return problem;
  const std::optional<std::string> there = ReadWholeFile(DescriptionPath(film));
  if (!there) return WriteDescription(film);
  return CompareDescription(film, there);
}

std::optional<std::string> CheckFramesFolderDescription(const FilmCommand& film) {
  const std::optional<std::string> there = ReadWholeFile(DescriptionPath(film));
  if (!there) return "no film's frames in " + film.framesFolder.string() + " (no " + filmDescriptionName + ")";
  return CompareDescription(film, there);
}

std::vector<std::int32_t> MissingFrames(const FilmCommand& film, std::int32_t first, std::int32_t end) {
  std::vector<std::int32_t> missing;
  for (std::int32_t frame = first; frame < end; ++frame) {
    if (!HoldsMapPicture(FramePath(film.framesFolder, frame), FrameCommand(film, frame))) missing.push_back(frame);
  }
  return missing;
}

}  // namespace cli
