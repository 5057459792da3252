// PNG files through the Windows Imaging Component (windowscodecs.dll, a part
// of Windows). Its PNG encoder writes the pixels a row at a time; the text
// chunks, which not every version of it writes, are put in by this file: the
// encoder's output is copied into the final temporary file with the tEXt
// chunks after the header chunk. Reading takes the header and the texts from
// the chunks before the image data and leaves the pixels to the decoder,
// which is opened at the first row.
#include "pictures/png_file.h"
#include "pictures/file_steps.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <wincodec.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace pictures {

namespace {

// What a failed call of the component means, in the system's words where
// it has some.
std::string ComponentReason(HRESULT result) {
  char text[200] = "";
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(result), 0, text, sizeof text, nullptr);
  std::string reason(text, length);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) {
    reason.pop_back();
  }
  if (reason.empty()) {
    std::snprintf(text, sizeof text, "imaging error 0x%08lX", static_cast<unsigned long>(result));
    reason = text;
  }
  return reason;
}

// One reference to a COM object, released at the end.
template <typename Interface>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (object_ != nullptr) object_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  Interface* operator->() const { return object_; }
  Interface* Get() const { return object_; }
  Interface** Out() { return &object_; }

 private:
  Interface* object_ = nullptr;
};

// COM on the calling thread for as long as the object lives. A thread that
// already uses COM in the other threading model keeps it; the component
// works in both.
class ComUse {
 public:
  ComUse() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComUse() {
    if (initialised_) CoUninitialize();
  }
  ComUse(const ComUse&) = delete;
  ComUse& operator=(const ComUse&) = delete;

 private:
  bool initialised_;
};

HRESULT MakeFactory(Com<IWICImagingFactory>& factory) {
  return CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                          IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()));
}

// --- The chunks of a PNG file --------------------------------------------------

constexpr std::array<unsigned char, 8> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t headerChunkSize = 4 + 4 + 13 + 4;  // length, type, data, CRC

std::uint32_t Crc(std::uint32_t crc, const unsigned char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc;
}

void PutBigEndian(std::string& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>(value >> shift & 0xFF));
}

std::uint32_t BigEndian(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
         static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

// A tEXt chunk whole: length, type, keyword, zero byte, text, CRC.
std::string TextChunk(const PngText& text) {
  std::string body = "tEXt" + text.key + '\0' + text.value;
  std::string chunk;
  PutBigEndian(chunk, static_cast<std::uint32_t>(body.size() - 4));
  chunk += body;
  const auto* bytes = reinterpret_cast<const unsigned char*>(body.data());
  PutBigEndian(chunk, Crc(0xFFFFFFFFu, bytes, body.size()) ^ 0xFFFFFFFFu);
  return chunk;
}

// --- Writing -----------------------------------------------------------------

// The picture through the component's PNG encoder into the file at `path`.
// Nothing when done, otherwise why not.
std::optional<std::string> Encode(const std::filesystem::path& path, std::int32_t width,
                                  std::int32_t height, const RowSource& source) {
  const ComUse com;
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  HRESULT result = MakeFactory(factory);
  if (SUCCEEDED(result)) result = factory->CreateStream(stream.Out());
  if (SUCCEEDED(result)) result = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
  if (SUCCEEDED(result)) result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out());
  if (SUCCEEDED(result)) result = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
  if (SUCCEEDED(result)) result = encoder->CreateNewFrame(frame.Out(), options.Out());
  if (SUCCEEDED(result)) result = frame->Initialize(options.Get());
  if (SUCCEEDED(result)) {
    result = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (SUCCEEDED(result)) result = frame->SetPixelFormat(&format);
  if (SUCCEEDED(result) && format != GUID_WICPixelFormat24bppBGR) return "no 24-bit colour encoder";
  if (FAILED(result)) return ComponentReason(result);

  std::vector<graphics::ColorRef> row(static_cast<std::size_t>(width));
  std::vector<BYTE> bgr(3 * row.size());
  for (std::int32_t y = 0; y < height; ++y) {
    if (!source(y, row)) return "abandoned";
    for (std::size_t i = 0; i < row.size(); ++i) {
      bgr[3 * i] = static_cast<BYTE>(graphics::BlueOf(row[i]));
      bgr[3 * i + 1] = static_cast<BYTE>(graphics::GreenOf(row[i]));
      bgr[3 * i + 2] = static_cast<BYTE>(graphics::RedOf(row[i]));
    }
    result = frame->WritePixels(1, static_cast<UINT>(bgr.size()), static_cast<UINT>(bgr.size()),
                                bgr.data());
    if (FAILED(result)) return ComponentReason(result);
  }
  result = frame->Commit();
  if (SUCCEEDED(result)) result = encoder->Commit();
  if (SUCCEEDED(result)) result = stream->Commit(STGC_DEFAULT);
  if (FAILED(result)) return ComponentReason(result);
  return std::nullopt;
}

// Copies the encoder's file `encoded` into `output` with the text chunks
// after its header chunk. Nothing when done, otherwise why not.
std::optional<std::string> CopyWithTexts(const std::filesystem::path& encoded, std::FILE* output,
                                         std::span<const PngText> texts) {
  std::FILE* input = _wfopen(encoded.c_str(), L"rb");
  if (input == nullptr) return SystemReason(errno);
  std::vector<unsigned char> buffer(1 << 16);
  std::optional<std::string> problem;
  const std::size_t start = signature.size() + headerChunkSize;
  if (std::fread(buffer.data(), 1, start, input) != start ||
      std::memcmp(buffer.data() + signature.size() + 4, "IHDR", 4) != 0) {
    problem = "the encoder wrote no PNG header";
  } else {
    std::fwrite(buffer.data(), 1, start, output);
    for (const PngText& text : texts) {
      const std::string chunk = TextChunk(text);
      std::fwrite(chunk.data(), 1, chunk.size(), output);
    }
    std::size_t count;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), input)) > 0) {
      std::fwrite(buffer.data(), 1, count, output);
    }
    if (std::ferror(input)) problem = SystemReason(errno);
  }
  std::fclose(input);
  return problem;
}

// --- Reading -----------------------------------------------------------------

// The header and the texts from the chunks before the image data.
struct Chunks {
  std::optional<std::string> problem;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<PngText> texts;
};

constexpr const char* endsEarly = "the file ends before its image data";
constexpr const char* broken = "a broken PNG file";

// The width and height of an IHDR chunk's data; false when they are no
// picture's.
bool TakeHeader(const std::string& data, Chunks& chunks) {
  if (data.size() != 13) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const std::uint32_t width = BigEndian(bytes);
  const std::uint32_t height = BigEndian(bytes + 4);
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return false;
  chunks.width = static_cast<std::int32_t>(width);
  chunks.height = static_cast<std::int32_t>(height);
  return true;
}

// A chunk's data of `length` bytes, read into `data` when wanted and
// skipped otherwise, and its CRC skipped (the decoder checks it); false
// when the file ends first.
bool TakeChunkData(std::FILE* file, std::uint32_t length, bool wanted, std::string& data) {
  data.assign(wanted ? length : 0, '\0');
  const bool read = wanted ? std::fread(data.data(), 1, length, file) == length
                           : _fseeki64(file, length, SEEK_CUR) == 0;
  return read && _fseeki64(file, 4, SEEK_CUR) == 0;
}

Chunks ReadChunks(std::FILE* file) {
  Chunks chunks;
  const auto fail = [&chunks](const char* problem) {
    chunks.problem = problem;
    return chunks;
  };
  unsigned char start[signature.size()] = {};
  if (std::fread(start, 1, sizeof start, file) != sizeof start ||
      std::memcmp(start, signature.data(), sizeof start) != 0) {
    return fail("not a PNG file");
  }
  bool headerSeen = false;
  std::string data;
  while (true) {
    unsigned char head[8];
    if (std::fread(head, 1, sizeof head, file) != sizeof head) return fail(endsEarly);
    const std::uint32_t length = BigEndian(head);
    const std::string type(reinterpret_cast<const char*>(head + 4), 4);
    if (length > 0x7FFFFFFFu || (!headerSeen && type != "IHDR")) return fail(broken);
    if (type == "IDAT") return chunks;
    const bool wanted = type == "IHDR" || type == "tEXt";
    if (wanted && length > (1u << 20)) return fail(broken);
    if (!TakeChunkData(file, length, wanted, data)) return fail(endsEarly);
    if (type == "IHDR") {
      if (!TakeHeader(data, chunks)) return fail(broken);
      headerSeen = true;
    } else if (type == "tEXt") {
      const auto zero = data.find('\0');
      if (zero != std::string::npos) chunks.texts.push_back({data.substr(0, zero), data.substr(zero + 1)});
    }
  }
}

}  // namespace

std::FILE* CreateNewFile(const std::filesystem::path& path) {
  const int descriptor = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) _close(descriptor);
  return file;
}

std::optional<std::string> MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return ComponentReason(HRESULT_FROM_WIN32(GetLastError()));
  }
  return std::nullopt;
}

std::optional<std::string> EncodePng(TemporaryFile& file, std::int32_t width, std::int32_t height,
                                     const RowSource& source, std::span<const PngText> texts) {
  if (texts.empty()) {
    // The encoder writes the file itself.
    if (auto problem = file.Close()) return problem;
    return Encode(file.Path(), width, height, source);
  }
  TemporaryFile encoded(file.Path());
  if (encoded.File() == nullptr) return SystemReason(encoded.OpenError());
  if (auto problem = encoded.Close()) return problem;
  if (auto problem = Encode(encoded.Path(), width, height, source)) return problem;
  return CopyWithTexts(encoded.Path(), file.File(), texts);
}

struct PngReader::Decoder {
  ComUse com;  // first: COM is released last
  Com<IWICImagingFactory> factory;
  Com<IWICBitmapDecoder> decoder;
  Com<IWICBitmapFrameDecode> frame;
  Com<IWICBitmapSource> rgb;  // the frame as 24-bit BGR
  std::vector<BYTE> row;      // one row as the component delivers it

  // Opens the decoder; nothing when done, otherwise why not.
  std::optional<std::string> Open(const std::filesystem::path& path) {
    HRESULT result = MakeFactory(factory);
    if (SUCCEEDED(result)) {
      result = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.Out());
    }
    if (SUCCEEDED(result)) result = decoder->GetFrame(0, frame.Out());
    if (SUCCEEDED(result)) result = WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, frame.Get(), rgb.Out());
    if (FAILED(result)) return ComponentReason(result);
    return std::nullopt;
  }
};

PngReader::PngReader(const std::filesystem::path& path) : path_(path) {
  std::FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) {
    problem_ = CannotRead(path, SystemReason(errno));
    return;
  }
  Chunks chunks = ReadChunks(file);
  std::fclose(file);
  if (chunks.problem) {
    problem_ = CannotRead(path, *chunks.problem);
    return;
  }
  width_ = chunks.width;
  height_ = chunks.height;
  texts_ = std::move(chunks.texts);
}

PngReader::~PngReader() = default;

bool PngReader::ReadRow(std::span<graphics::ColorRef> row) {
  if (problem_ || rowsRead_ >= height_) return false;
  if (!decoder_) {
    decoder_ = std::make_unique<Decoder>();
    if (auto problem = decoder_->Open(path_)) {
      problem_ = CannotRead(path_, *problem);
      return false;
    }
    decoder_->row.resize(3 * static_cast<std::size_t>(width_));
  }
  Decoder& d = *decoder_;
  const WICRect line{0, rowsRead_, width_, 1};
  const HRESULT result = d.rgb->CopyPixels(&line, static_cast<UINT>(d.row.size()),
                                           static_cast<UINT>(d.row.size()), d.row.data());
  if (FAILED(result)) {
    problem_ = CannotRead(path_, ComponentReason(result));
    return false;
  }
  ++rowsRead_;
  for (std::size_t i = 0; i < row.size(); ++i) {
    row[i] = graphics::ComposeRgb(d.row[3 * i + 2], d.row[3 * i + 1], d.row[3 * i]);
  }
  return true;
}

}  // namespace pictures
