// Answers questions about a screenshot for the end-to-end scripts. Reads a
// binary PPM (P6) from standard input and prints, for each query:
//   pixel X Y         the colour at (X, Y) as RRGGBB
//   bbox RRGGBB       the box of pixels NOT of that colour: "left top right bottom" (inclusive)
//   count RRGGBB      how many pixels have that colour
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<unsigned> pixels;  // 0xRRGGBB, row by row
  unsigned At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

bool ReadPpm(std::istream& in, Image& image) {
  std::string magic;
  int maxValue = 0;
  in >> magic >> image.width >> image.height >> maxValue;
  in.get();
  if (magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0) return false;
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (unsigned& pixel : image.pixels) {
    unsigned char rgb[3];
    if (!in.read(reinterpret_cast<char*>(rgb), 3)) return false;
    pixel = rgb[0] << 16 | rgb[1] << 8 | rgb[2];
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Image image;
  if (!ReadPpm(std::cin, image)) {
    std::fputs("image_probe: not a binary PPM with 8-bit channels\n", stderr);
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    const std::string query = argv[i];
    if (query == "pixel" && i + 2 < argc) {
      const int x = std::atoi(argv[++i]);
      const int y = std::atoi(argv[++i]);
      if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 2;
      std::printf("%06X\n", image.At(x, y));
    } else if ((query == "bbox" || query == "count") && i + 1 < argc) {
      const unsigned color = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 16));
      int left = image.width, top = image.height, right = -1, bottom = -1;
      long count = 0;
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          if (image.At(x, y) == color) {
            ++count;
            continue;
          }
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      }
      if (query == "count") std::printf("%ld\n", count);
      else std::printf("%d %d %d %d\n", left, top, right, bottom);
    } else {
      std::fprintf(stderr, "image_probe: unknown query %s\n", query.c_str());
      return 2;
    }
  }
  return 0;
}
