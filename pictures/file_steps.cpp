// The file steps of the picture backends that write files: a file written
// whole or not at all.
#include "pictures/file_steps.h"

#include <cerrno>

namespace pictures {

std::optional<FileProblem> WritePngFile(const std::filesystem::path& path, std::int32_t width,
                                        std::int32_t height, const RowSource& source,
                                        std::span<const PngText> texts) {
  if (width <= 0 || height <= 0) return CannotWrite(path, "the picture is empty");
  TemporaryFile temporary(path);
  if (temporary.File() == nullptr) return CannotWrite(path, SystemReason(temporary.OpenError()));
  if (auto problem = EncodePng(temporary, width, height, source, texts)) return CannotWrite(path, *problem);
  if (auto problem = temporary.Close()) return CannotWrite(path, *problem);
  if (auto problem = temporary.RenameTo(path)) return CannotWrite(path, *problem);
  return std::nullopt;
}

std::optional<FileProblem> WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  TemporaryFile temporary(path);
  if (temporary.File() == nullptr) return CannotWrite(path, SystemReason(temporary.OpenError()));
  if (std::fwrite(bytes.data(), 1, bytes.size(), temporary.File()) != bytes.size()) {
    return CannotWrite(path, SystemReason(errno));
  }
  if (auto problem = temporary.Close()) return CannotWrite(path, *problem);
  if (auto problem = temporary.RenameTo(path)) return CannotWrite(path, *problem);
  return std::nullopt;
}

std::optional<FileProblem> CheckWritable(const std::filesystem::path& path) {
  const TemporaryFile probe(path);
  if (probe.File() == nullptr) return CannotWrite(path, SystemReason(probe.OpenError()));
  return std::nullopt;
}

}  // namespace pictures
