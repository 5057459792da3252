// Picture files: 8-bit RGB PNG files written and read a row at a time, so a
// picture never has to be held whole in memory. The colours are those of the
// drawing surfaces (graphics::ColorRef, red in the low byte).
//
// A file is written atomically: into a temporary file beside it, which is
// renamed over the target only when it is complete. A failed or abandoned
// write leaves no file behind and the target as it was.
//
// The page's build in a browser fails every write and read with a message
// that says so.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "graphics/color.h"
#include "graphics/surface.h"

namespace pictures {

// A text chunk of a PNG file: a keyword (1-79 Latin-1 characters) and its text.
struct PngText {
  std::string key;
  std::string value;
};

// What went wrong, for a message to the user ("cannot write x.png: ...").
using FileProblem = std::string;

// Fills `row` (width colours) with picture row `y`, counted from the top.
// Returns false to abandon the write.
using RowSource = std::function<bool(std::int32_t y, std::span<graphics::ColorRef> row)>;

// Writes a width x height picture (each 1 to 2^31 - 1) to `path`, asking
// `source` for its rows from the top; `texts` go before the image data.
// Nothing when written, otherwise the problem (also "abandoned" when the
// source gave up). Width and height must be positive.
std::optional<FileProblem> WritePngFile(const std::filesystem::path& path, std::int32_t width,
                                        std::int32_t height, const RowSource& source,
                                        std::span<const PngText> texts = {});

// Writes `bytes` to `path` as they are, whole or not at all, as WritePngFile
// writes a picture (the explorer's saved values, a map's trial results).
// Nothing when written, otherwise the problem.
std::optional<FileProblem> WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);

// Whether a file can be written at `path`: makes and removes a temporary
// file beside it. Nothing when it can, otherwise the problem. For commands
// that compute long before they write.
std::optional<FileProblem> CheckWritable(const std::filesystem::path& path);

// The rows of a drawing surface from row `firstRow` down, as a RowSource
// (the surface must outlive it).
RowSource SurfaceRows(const graphics::Surface& surface, std::int32_t firstRow = 0);

// Reads a PNG file row by row from the top. Any PNG is read as 8-bit RGB:
// palettes and grey levels are expanded, 16-bit channels cut to 8 bits,
// alpha dropped.
class PngReader {
 public:
  // Opens the file and reads everything up to the image data.
  explicit PngReader(const std::filesystem::path& path);
  ~PngReader();
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // Why the file cannot be read (then nothing else holds), or nothing.
  const std::optional<FileProblem>& Problem() const { return problem_; }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

  // The text of the chunk `key` written before the image data, if any.
  std::optional<std::string> Text(const std::string& key) const;

  // Reads the next row into `row` (Width() colours). False when the file
  // turns out broken (Problem() then says why) or every row has been read.
  bool ReadRow(std::span<graphics::ColorRef> row);

 private:
  struct Decoder;  // the library's state
  std::unique_ptr<Decoder> decoder_;
  std::filesystem::path path_;  // for messages
  std::optional<FileProblem> problem_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  [[maybe_unused]] std::int32_t rowsRead_ = 0;  // (unused where pictures cannot be read)
  std::vector<PngText> texts_;
};

}  // namespace pictures
