// An 8-bit RGB picture to draw the timeline plot on: filled and blended rectangles and
// single pixels, written out as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;

  static constexpr Rgb hex(std::uint32_t value) {
    return {std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value)};
  }
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class Canvas {
public:
  Canvas(int width, int height, Rgb background);

  int width() const { return columns; }
  int height() const { return rows; }
  Rgb at(int x, int y) const;

  // Coverage 0..1 of colour over what is there; parts outside the picture are skipped.
  void blendPixel(int x, int y, Rgb colour, float coverage);
  void fill(int x, int y, int width, int height, Rgb colour, float coverage = 1.0f);
  // One pixel wide; dashed draws every other run of dash pixels.
  void horizontalLine(int x0, int x1, int y, Rgb colour, float coverage = 1.0f, int dash = 0);
  void verticalLine(int x, int y0, int y1, Rgb colour, float coverage = 1.0f);

  // Returns false when the file cannot be written.
  bool writePng(const std::string& path) const;

private:
  int columns;
  int rows;
  std::vector<std::uint8_t> pixels;  // rows of RGB triples, top row first
};

}  // namespace ostrel
