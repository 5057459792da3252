// The page's build: it writes and reads no picture files (the page offers
// its canvases for download instead), and every attempt says so.
#include <cerrno>

#include "pictures/file_steps.h"
#include "pictures/png_file.h"

namespace pictures {

namespace {
const FileProblem unavailable = "this build writes no picture files (the page saves its canvases)";
}

std::optional<FileProblem> WritePngFile(const std::filesystem::path&, std::int32_t, std::int32_t,
                                        const RowSource&, std::span<const PngText>) {
  return unavailable;
}

std::optional<FileProblem> CheckWritable(const std::filesystem::path&) { return unavailable; }

std::optional<FileProblem> WriteWholeFile(const std::filesystem::path&, const std::string&) { return unavailable; }

// No file is ever made, so none is ever moved.
std::FILE* CreateNewFile(const std::filesystem::path&) {
  errno = ENOTSUP;
  return nullptr;
}

std::optional<std::string> MoveFileOver(const std::filesystem::path&, const std::filesystem::path&) {
  return unavailable;
}

struct PngReader::Decoder {};

PngReader::PngReader(const std::filesystem::path& path) : path_(path), problem_(unavailable) {}

PngReader::~PngReader() = default;

bool PngReader::ReadRow(std::span<graphics::ColorRef>) { return false; }

}  // namespace pictures
