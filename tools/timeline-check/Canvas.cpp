// Drawing on the plot's picture.
#include "tools/timeline-check/Canvas.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>

namespace ostrel {

Canvas::Canvas(int width, int height, Rgb background)
    : columns(width), rows(height), pixels(std::size_t(width) * std::size_t(height) * 3) {
  for (std::size_t index = 0; index < pixels.size(); index += 3) {
    pixels[index] = background.r;
    pixels[index + 1] = background.g;
    pixels[index + 2] = background.b;
  }
}

Rgb Canvas::at(int x, int y) const {
  const std::size_t index = (std::size_t(y) * std::size_t(columns) + std::size_t(x)) * 3;
  return {pixels[index], pixels[index + 1], pixels[index + 2]};
}

void Canvas::blendPixel(int x, int y, Rgb colour, float coverage) {
  if (x < 0 || y < 0 || x >= columns || y >= rows || coverage <= 0.0f) {
    return;
  }
  const float a = std::min(coverage, 1.0f);
  std::uint8_t* pixel = &pixels[(std::size_t(y) * std::size_t(columns) + std::size_t(x)) * 3];
  const auto mix = [a](std::uint8_t under, std::uint8_t over) {
    return std::uint8_t(std::lround(float(under) + (float(over) - float(under)) * a));
  };
  pixel[0] = mix(pixel[0], colour.r);
  pixel[1] = mix(pixel[1], colour.g);
  pixel[2] = mix(pixel[2], colour.b);
}

void Canvas::fill(int x, int y, int width, int height, Rgb colour, float coverage) {
  for (int row = std::max(y, 0); row < std::min(y + height, rows); ++row) {
    for (int column = std::max(x, 0); column < std::min(x + width, columns); ++column) {
      blendPixel(column, row, colour, coverage);
    }
  }
}

void Canvas::horizontalLine(int x0, int x1, int y, Rgb colour, float coverage, int dash) {
  for (int x = x0; x <= x1; ++x) {
    if (dash == 0 || (x - x0) / dash % 2 == 0) {
      blendPixel(x, y, colour, coverage);
    }
  }
}

void Canvas::verticalLine(int x, int y0, int y1, Rgb colour, float coverage) {
  for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y) {
    blendPixel(x, y, colour, coverage);
  }
}

bool Canvas::writePng(const std::string& path) const {
  return stbi_write_png(path.c_str(), columns, rows, 3, pixels.data(), columns * 3) != 0;
}

}  // namespace ostrel
