// The page's build: a file the program writes is a download. The page
// (web/page_windows.js) offers each picture and file the program saves
// under its name, as a desktop program's Save writes it; a picture's pixels
// become a PNG in the browser. An empty file of that name stays in the
// program's memory, so that the next free name is another. Nothing is read
// back, and a band or film file, which a later run must read, is never
// made here (the page offers neither command).
#include <emscripten/em_asm.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "pictures/file_steps.h"
#include "pictures/png_file.h"

namespace pictures {

namespace {

const FileProblem unavailable = "this build reads no picture files (the page offers what it saves as downloads)";

// The canvas takes RGBA bytes; a ColorRef (0x00BBGGRR) in little-endian
// memory is R, G, B and a zero byte, which becomes the opaque alpha.
constexpr graphics::ColorRef opaque = 0xFF000000;

// Whether the page offers downloads (the explorer's page does).
bool PageDownloads() {
  return MAIN_THREAD_EM_ASM_INT({ return !!(Module.magpendPage && Module.magpendPage.download); }) != 0;
}

// The name taken: an empty file of it, for the next free name.
void KeepName(const std::filesystem::path& path) { std::ofstream{path}; }

}  // namespace

std::optional<FileProblem> WritePngFile(const std::filesystem::path& path, std::int32_t width,
                                        std::int32_t height, const RowSource& source,
                                        std::span<const PngText>) {
  if (width <= 0 || height <= 0) return CannotWrite(path, "the picture is empty");
  if (!PageDownloads()) return CannotWrite(path, "this page offers no downloads");
  std::vector<graphics::ColorRef> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::int32_t y = 0; y < height; ++y) {
    const std::span<graphics::ColorRef> row(pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                                            static_cast<std::size_t>(width));
    if (!source(y, row)) return CannotWrite(path, "abandoned");
    for (graphics::ColorRef& pixel : row) pixel = (pixel & graphics::colorBits) | opaque;
  }
  const std::string name = path.filename().string();
  MAIN_THREAD_EM_ASM({ Module.magpendPage.download(UTF8ToString($0), HEAPU8.slice($1, $1 + $2 * $3 * 4), $2, $3); },
                     name.c_str(), pixels.data(), width, height);
  KeepName(path);
  return std::nullopt;
}

std::optional<FileProblem> WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  if (!PageDownloads()) return CannotWrite(path, "this page offers no downloads");
  const std::string name = path.filename().string();
  MAIN_THREAD_EM_ASM({ Module.magpendPage.download(UTF8ToString($0), HEAPU8.slice($1, $1 + $2)); }, name.c_str(),
                     bytes.data(), bytes.size());
  KeepName(path);
  return std::nullopt;
}

std::optional<FileProblem> CheckWritable(const std::filesystem::path& path) {
  if (!PageDownloads()) return CannotWrite(path, "this page offers no downloads");
  return std::nullopt;
}

// No file is made through a temporary one, so none is ever moved.
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
