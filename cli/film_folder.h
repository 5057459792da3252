// A film's frames folder: frame k is DIR/NNNNNN.png (six digits from
// 000000), the picture of the map command FrameCommand names, written whole
// by `magpend map`'s own code; DIR/film.txt describes the film, so that the
// frames of another film are never taken for this one's. A frame counts as
// there only when it reads to its last row and carries its map's job text;
// anything else at its name is computed again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace cli {

inline constexpr const char* filmDescriptionName = "film.txt";

std::filesystem::path FramePath(const std::filesystem::path& folder, std::int32_t frame);

// The map command whose picture is frame `frame`, written into its place in
// the frames folder.
MapCommand FrameCommand(const FilmCommand& film, std::int32_t frame);

// That command as one would type it ("magpend map --grid 64x36 --region ...
// -o DIR/000003.png"): the bounds and values with 17 digits, which read
// back to the same doubles; the default values left out.
std::string MapCommandLine(const MapCommand& command);

// What film.txt says: everything the frames depend on (their size, count,
// keyframes and values), not the frame rate, which only the video uses.
std::string FilmDescription(const FilmCommand& film);

// Makes the folder when it is not there, checks that frames can be written
// into it, and writes the film's description or checks the one there. The
// problem, for "magpend: ...", when the folder cannot be used.
std::optional<std::string> PrepareFramesFolder(const FilmCommand& film);

// Whether the folder describes this film (the folder of a film to encode).
std::optional<std::string> CheckFramesFolderDescription(const FilmCommand& film);

// The frames from `first` to `end` - 1 that are not there whole.
std::vector<std::int32_t> MissingFrames(const FilmCommand& film, std::int32_t first, std::int32_t end);

}  // namespace cli
