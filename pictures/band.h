// Bands: a picture made in horizontal strips, each in a file of its own (on
// different machines, say), and joined afterwards.
//
// A band file is a PNG of rows top .. bottom-1 of a picture `height` rows
// high. Its text chunk "Band" says so ("rows TOP-BOTTOM of HEIGHT"), and its
// chunk "Job" names what made it, so that only bands of one job are joined.
// A whole picture is the band of all its rows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "pictures/png_file.h"

namespace pictures {

inline constexpr const char* bandKey = "Band";
inline constexpr const char* jobKey = "Job";

// Where a band lies in its picture.
struct BandPlace {
  std::int32_t top = 0;     // first row, counted from the top
  std::int32_t bottom = 0;  // one past the last row
  std::int32_t height = 0;  // rows of the whole picture

  bool operator==(const BandPlace&) const = default;
};

// "rows TOP-BOTTOM of HEIGHT", and back (nothing when the text is not of
// that form or the rows are not within 0 .. HEIGHT, at least one).
std::string BandText(const BandPlace& place);
std::optional<BandPlace> ReadBandText(const std::string& text);

// Joins band files, given in any order, into one picture at `output`. They
// must all be band files of the same job and width that together hold every
// row of their picture exactly once. The output (written atomically) is the
// band of all rows, with the same job.
std::optional<FileProblem> MergeBands(std::span<const std::filesystem::path> bands,
                                      const std::filesystem::path& output);

}  // namespace pictures
