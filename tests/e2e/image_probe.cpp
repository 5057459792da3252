// Answers questions about a screenshot for the end-to-end scripts. Reads a
// binary PPM (P6) from standard input and prints, for each query:
//   pixel X Y         the colour at (X, Y) as RRGGBB
//   bbox RRGGBB       the box of pixels NOT of that colour: "left top right bottom" (inclusive)
//   count RRGGBB      how many pixels have that colour
//   differ FILE       how many pixels differ from those of the PPM FILE (of
//                     the same size)
//   differ-painted FILE  the same, but only where this picture is not the
//                     windows' grey background F0F0F0
//   status LINE TEXT  this picture being the explorer's window (its view as
//                     wide as the window, the status line below): 1 if the
//                     status line's line LINE (from 0) shows TEXT as the
//                     built-in font draws it, as far as the window is wide; 0 if not
//   squares FILE      this picture being the map window's, FILE a 111 x 111
//                     picture of its start points: "MISMATCHES SQUARES", the
//                     squares of one colour throughout (those the markers
//                     do not cross) and how many of them differ from FILE
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/explore_status.h"
#include "graphics/text.h"

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
    } else if ((query == "differ" || query == "differ-painted") && i + 1 < argc) {
      Image other;
      std::ifstream file(argv[++i], std::ios::binary);
      if (!ReadPpm(file, other) || other.width != image.width || other.height != image.height) {
        std::fprintf(stderr, "image_probe: %s is no PPM of the same size\n", argv[i]);
        return 2;
      }
      const bool paintedOnly = query == "differ-painted";
      long count = 0;
      for (size_t p = 0; p < image.pixels.size(); ++p) {
        if (paintedOnly && image.pixels[p] == 0xF0F0F0) continue;
        if (image.pixels[p] != other.pixels[p]) ++count;
      }
      std::printf("%ld\n", count);
    } else if (query == "status" && i + 2 < argc) {
      const int line = std::atoi(argv[++i]);
      const std::string text = argv[++i];
      const int side = image.width;
      const graphics::PixelPoint at = app::StatusLineOrigin(side, line);
      const int width = std::min(graphics::TextWidth(text), side - at.x);
      if (image.height != side + app::statusHeight || width <= 0) return 2;
      graphics::Surface expected(width, graphics::glyphHeight, 0);
      graphics::DrawText(expected, {0, 0}, text, 0x000000, graphics::dialogFaceColor);
      bool shown = true;
      for (int y = 0; y < graphics::glyphHeight; ++y) {
        for (int x = 0; x < width; ++x) {
          const unsigned bgr = expected.PixelAt(x, y);  // a ColorRef: blue in the high byte
          const unsigned rgb = (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
          shown = shown && image.At(at.x + x, at.y + y) == rgb;
        }
      }
      std::printf("%d\n", shown ? 1 : 0);
    } else if (query == "squares" && i + 1 < argc) {
      Image grid;
      std::ifstream file(argv[++i], std::ios::binary);
      if (!ReadPpm(file, grid) || grid.width != 111 || grid.height != 111 || image.width != 800 ||
          image.height != 600) {
        std::fprintf(stderr, "image_probe: no 800 x 600 window and 111 x 111 grid\n");
        return 2;
      }
      long squares = 0, mismatches = 0;
      for (int row = 0; row < 111; ++row) {  // row 0 at the bottom
        for (int column = 0; column < 111; ++column) {
          const int left = 178 + 4 * column, top = 518 - 4 * row;
          bool uniform = true;
          for (int y = top; y < top + 4; ++y) {
            for (int x = left; x < left + 4; ++x) uniform = uniform && image.At(x, y) == image.At(left, top);
          }
          if (!uniform) continue;
          ++squares;
          if (image.At(left, top) != grid.At(column, 110 - row)) ++mismatches;
        }
      }
      std::printf("%ld %ld\n", mismatches, squares);
    } else {
      std::fprintf(stderr, "image_probe: unknown query %s\n", query.c_str());
      return 2;
    }
  }
  return 0;
}
