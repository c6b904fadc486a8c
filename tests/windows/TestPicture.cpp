// The post-processing test pictures.
#include "tests/windows/TestPicture.h"

#include <algorithm>
#include <cmath>

namespace ostrel::testing {
namespace {

struct Colour {
  float r, g, b;
};

void put(Picture& picture, int x, int y, Colour c, float alpha = 1.0f) {
  std::uint8_t* pixel = picture.at(x, y);
  pixel[0] = std::uint8_t(std::clamp(c.r, 0.0f, 1.0f) * 255.0f + 0.5f);
  pixel[1] = std::uint8_t(std::clamp(c.g, 0.0f, 1.0f) * 255.0f + 0.5f);
  pixel[2] = std::uint8_t(std::clamp(c.b, 0.0f, 1.0f) * 255.0f + 0.5f);
  pixel[3] = std::uint8_t(std::clamp(alpha, 0.0f, 1.0f) * 255.0f + 0.5f);
}

Colour hue(float h) {  // 0..1 round the colour wheel, full saturation
  auto channel = [h](float offset) {
    const float t = std::fabs(std::fmod(h * 6.0f + offset, 6.0f) - 3.0f) - 1.0f;
    return std::clamp(t, 0.0f, 1.0f);
  };
  return {channel(0.0f), channel(4.0f), channel(2.0f)};
}

Colour mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour colourBars(float u) {
  static const Colour bars[8] = {{0.75f, 0.75f, 0.75f}, {0.75f, 0.75f, 0}, {0, 0.75f, 0.75f},
                                 {0, 0.75f, 0},         {0.75f, 0, 0.75f}, {0.75f, 0, 0},
                                 {0, 0, 0.75f},         {0.05f, 0.05f, 0.05f}};
  return bars[std::min(7, int(u * 8.0f))];
}

Colour hueField(float u, float v) {
  const Colour pure = hue(u);
  return v < 0.5f ? mix({1, 1, 1}, pure, v * 2.0f) : mix(pure, {0, 0, 0}, (v - 0.5f) * 2.0f);
}

// Lights on a dark blue night: round white and coloured lamps of several sizes (radii in
// pixels at 1080 lines). x and y are 0..1 across the region of regionWidth x regionHeight.
Colour nightScene(float x, float y, float regionWidth, float regionHeight) {
  const float scale = regionHeight * 2.0f / 1080.0f;
  struct Lamp {
    float x, y, radius;
    Colour colour;
  };
  static const Lamp lamps[] = {
      {0.15f, 0.3f, 6, {1, 1, 1}},          {0.4f, 0.25f, 3, {1, 1, 1}},
      {0.7f, 0.35f, 10, {1, 0.8f, 0.45f}},  {0.25f, 0.7f, 8, {0.3f, 0.9f, 1}},
      {0.55f, 0.65f, 2, {1, 1, 1}},         {0.85f, 0.75f, 7, {1, 0.3f, 0.8f}},
      {0.45f, 0.88f, 4, {1, 0.55f, 0.1f}}};
  Colour colour = mix({0.02f, 0.03f, 0.08f}, {0.05f, 0.07f, 0.16f}, y);
  for (const Lamp& lamp : lamps) {
    const float distance = std::hypot((x - lamp.x) * regionWidth, (y - lamp.y) * regionHeight);
    if (distance < lamp.radius * scale) {
      colour = lamp.colour;
    }
  }
  return colour;
}

Colour greyRampAndSkin(float u, float v) {
  if (v < 0.5f) {
    const float step = std::floor(u * 12.0f) / 11.0f;  // 12 grey steps, black to white
    return {step, step, step};
  }
  if (u < 0.5f) {
    return {0.87f, 0.64f, 0.52f};  // a light skin tone
  }
  return {0.46f, 0.46f, 0.46f};  // middle grey on screen
}

// Fine detail: a one-pixel checkerboard, thin diagonal lines and a hard-edged disc.
Colour fineDetail(int x, int y, float u, float v, int size) {
  if (u < 0.4f) {
    return ((x + y) % 2) ? Colour{0.95f, 0.95f, 0.95f} : Colour{0.1f, 0.1f, 0.1f};
  }
  if (u < 0.7f) {
    const bool line = (x + y * 3) / std::max(1, size / 90) % 9 == 0;
    return line ? Colour{1, 1, 1} : Colour{0.15f, 0.2f, 0.3f};
  }
  const float du = (u - 0.85f) * 1.4f, dv = v - 0.5f;
  return du * du + dv * dv < 0.09f ? Colour{0.95f, 0.85f, 0.2f} : Colour{0.2f, 0.1f, 0.25f};
}

}  // namespace

Picture testPicture(int width, int height) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = (x + 0.5f) / width, v = (y + 0.5f) / height;
      Colour colour;
      if (v < 0.5f) {
        colour = u < 0.5f ? colourBars(u * 2.0f) : hueField(u * 2.0f - 1.0f, v * 2.0f);
      } else if (u < 0.45f) {
        colour = nightScene(u / 0.45f, v * 2.0f - 1.0f, 0.45f * width, 0.5f * height);
      } else if (u < 0.7f) {
        colour = greyRampAndSkin((u - 0.45f) / 0.25f, v * 2.0f - 1.0f);
      } else {
        colour = fineDetail(x, y, (u - 0.7f) / 0.3f, v * 2.0f - 1.0f, height);
      }
      put(picture, x, y, colour);
    }
  }
  return picture;
}

Picture overlayImage(int width, int height) {
  Picture picture(width, height);
  const float pixel = 1.0f / float(height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = (x + 0.5f - width * 0.5f) / height, v = (y + 0.5f) / height - 0.5f;
      const float ring = std::fabs(std::hypot(u, v) - 0.28f) - 0.04f;
      const float bar = std::max(std::fabs(u) - 0.5f, std::fabs(v) - 0.025f);
      const float band = std::fabs(v - 0.38f) - 0.03f;
      const float solid = std::clamp(0.5f - std::min(ring, bar) / pixel, 0.0f, 1.0f);
      const float half = 0.5f * std::clamp(0.5f - band / pixel, 0.0f, 1.0f);
      put(picture, x, y, {0.95f, 0.78f, 0.35f}, std::max(solid, half));
    }
  }
  return picture;
}

}  // namespace ostrel::testing
