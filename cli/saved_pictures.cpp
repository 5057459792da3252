#include "cli/saved_pictures.h"

#include <cctype>

#include "pictures/png_file.h"

namespace cli {

namespace {

std::filesystem::path FileNameOf(const runtime::Text& caption) {
  std::string name;
  for (const char c : caption) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name + ".png";
}

}  // namespace

std::optional<std::string> PictureFolder::Prepare(const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    std::filesystem::create_directory(folder, error);
    if (error) return "cannot make the folder " + folder.string() + ": " + error.message();
  }
  return pictures::CheckWritable(folder / "pendelweg.png");
}

void PictureFolder::Save(const runtime::Text& caption, const app::RunPicture& picture) {
  const std::filesystem::path path = folder_ / FileNameOf(caption);
  if (!picture) {
    problems_.push_back("no picture of " + caption + " to write to " + path.string() +
                        ": the window did not open");
    return;
  }
  if (auto problem = pictures::WritePngFile(path, picture->Width(), picture->Height(),
                                            pictures::SurfaceRows(*picture))) {
    problems_.push_back(*problem);
  }
}

}  // namespace cli
