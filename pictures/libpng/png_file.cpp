// PNG files through libpng. libpng reports errors by longjmp; every call
// that may fail sits in a small function of its own that sets the jump point
// and holds no object with a destructor, so the jump never skips one.
#include "pictures/png_file.h"
#include "pictures/file_steps.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace pictures {

namespace {

// Where the error handler leaves libpng's message before it jumps.
struct ErrorNote {
  char message[200] = "";
};

[[noreturn]] void NoteError(png_structp png, png_const_charp message) {
  auto* note = static_cast<ErrorNote*>(png_get_error_ptr(png));
  std::snprintf(note->message, sizeof note->message, "%s", message);
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// --- Writing -----------------------------------------------------------------

bool BeginImage(png_structp png, png_infop info, std::FILE* file, std::uint32_t width,
                std::uint32_t height, png_textp texts, int textCount) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (textCount > 0) png_set_text(png, info, texts, textCount);
  png_write_info(png, info);
  return true;
}

bool WriteImageRow(png_structp png, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_row(png, row);
  return true;
}

bool EndImage(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_end(png, info);
  return true;
}

void ToRgb(std::span<const graphics::ColorRef> colors, std::vector<png_byte>& rgb) {
  for (std::size_t i = 0; i < colors.size(); ++i) {
    rgb[3 * i] = static_cast<png_byte>(graphics::RedOf(colors[i]));
    rgb[3 * i + 1] = static_cast<png_byte>(graphics::GreenOf(colors[i]));
    rgb[3 * i + 2] = static_cast<png_byte>(graphics::BlueOf(colors[i]));
  }
}

// The picture's bytes into an open file. Nothing when done, otherwise why not.
std::optional<std::string> Encode(std::FILE* file, std::int32_t width, std::int32_t height,
                                  const RowSource& source, std::span<const PngText> texts) {
  ErrorNote note;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &note, NoteError, IgnoreWarning);
  if (png == nullptr) return "out of memory";
  png_infop info = png_create_info_struct(png);
  std::optional<std::string> problem;
  std::vector<png_text> chunks(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
    chunks[i].key = const_cast<char*>(texts[i].key.c_str());
    chunks[i].text = const_cast<char*>(texts[i].value.c_str());
    chunks[i].text_length = texts[i].value.size();
  }
  std::vector<graphics::ColorRef> row(static_cast<std::size_t>(width));
  std::vector<png_byte> rgb(3 * row.size());
  if (info == nullptr) {
    problem = "out of memory";
  } else if (!BeginImage(png, info, file, static_cast<std::uint32_t>(width),
                         static_cast<std::uint32_t>(height), chunks.data(),
                         static_cast<int>(chunks.size()))) {
    problem = note.message;
  }
  for (std::int32_t y = 0; y < height && !problem; ++y) {
    if (!source(y, row)) {
      problem = "abandoned";
      break;
    }
    ToRgb(row, rgb);
    if (!WriteImageRow(png, rgb.data())) problem = note.message;
  }
  if (!problem && !EndImage(png, info)) problem = note.message;
  png_destroy_write_struct(&png, &info);
  return problem;
}

// --- Reading -----------------------------------------------------------------

constexpr std::size_t signatureSize = 8;

bool ReadHeader(png_structp png, png_infop info, std::FILE* file) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_sig_bytes(png, signatureSize);
  png_read_info(png, info);
  return true;
}

// Asks libpng for 8-bit RGB whatever the file holds.
bool RequestRgb(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  const png_byte colorType = png_get_color_type(png, info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) {
    png_set_expand_gray_1_2_4_to_8(png);
  }
  if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  if ((colorType & PNG_COLOR_MASK_ALPHA) != 0) png_set_strip_alpha(png);
  png_read_update_info(png, info);
  return true;
}

bool ReadImageRow(png_structp png, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_row(png, row, nullptr);
  return true;
}

}  // namespace

std::FILE* CreateNewFile(const std::filesystem::path& path) {
  return std::fopen(path.c_str(), "wbx");  // "x": only a file that did not exist yet
}

std::optional<std::string> MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  if (error) return error.message();
  return std::nullopt;
}

std::optional<std::string> EncodePng(TemporaryFile& file, std::int32_t width, std::int32_t height,
                                     const RowSource& source, std::span<const PngText> texts) {
  return Encode(file.File(), width, height, source, texts);
}

struct PngReader::Decoder {
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  ErrorNote note;
  std::vector<png_byte> rgb;  // one row as libpng delivers it

  ~Decoder() {
    if (png != nullptr) png_destroy_read_struct(&png, &info, nullptr);
    if (file != nullptr) std::fclose(file);
  }
};

PngReader::PngReader(const std::filesystem::path& path)
    : decoder_(std::make_unique<Decoder>()), path_(path) {
  Decoder& d = *decoder_;
  d.file = std::fopen(path.c_str(), "rb");
  if (d.file == nullptr) {
    problem_ = CannotRead(path, SystemReason(errno));
    return;
  }
  png_byte signature[signatureSize] = {};
  if (std::fread(signature, 1, signatureSize, d.file) != signatureSize ||
      png_sig_cmp(signature, 0, signatureSize) != 0) {
    problem_ = CannotRead(path, "not a PNG file");
    return;
  }
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d.note, NoteError, IgnoreWarning);
  if (d.png != nullptr) d.info = png_create_info_struct(d.png);
  if (d.info == nullptr) {
    problem_ = CannotRead(path, "out of memory");
    return;
  }
  if (!ReadHeader(d.png, d.info, d.file)) {
    problem_ = CannotRead(path, d.note.message);
    return;
  }
  if (png_get_interlace_type(d.png, d.info) != PNG_INTERLACE_NONE) {
    problem_ = CannotRead(path, "interlaced pictures are not read");
    return;
  }
  if (!RequestRgb(d.png, d.info)) {
    problem_ = CannotRead(path, d.note.message);
    return;
  }
  width_ = static_cast<std::int32_t>(png_get_image_width(d.png, d.info));
  height_ = static_cast<std::int32_t>(png_get_image_height(d.png, d.info));
  d.rgb.resize(png_get_rowbytes(d.png, d.info));
  png_textp chunks = nullptr;
  const int count = png_get_text(d.png, d.info, &chunks, nullptr);
  for (int i = 0; i < count; ++i) {
    texts_.push_back({chunks[i].key, std::string(chunks[i].text, chunks[i].text_length)});
  }
}

PngReader::~PngReader() = default;

bool PngReader::ReadRow(std::span<graphics::ColorRef> row) {
  if (problem_ || rowsRead_ >= height_) return false;
  Decoder& d = *decoder_;
  if (!ReadImageRow(d.png, d.rgb.data())) {
    problem_ = CannotRead(path_, d.note.message);
    return false;
  }
  ++rowsRead_;
  for (std::size_t i = 0; i < row.size(); ++i) {
    row[i] = graphics::ComposeRgb(d.rgb[3 * i], d.rgb[3 * i + 1], d.rgb[3 * i + 2]);
  }
  return true;
}

}  // namespace pictures
