// What the scene tests add to the rendering tests' helpers: their scene files, assimp's own
// Collada test files, and a small sRGB target with a depth buffer to draw a scene into.
#pragma once

#include "tests/windows/RenderTesting.h"

#include <cstdint>
#include <string>

namespace ostrel::testing {

// A scene file of the tests' own data.
std::wstring sceneFile(const char* name);
// One of assimp's own Collada test files (from its Debian source).
std::wstring assimpModel(const char* name);

// An 8-bit sRGB colour target and a depth buffer of one size on the test device.
class Canvas {
public:
  Canvas(int width, int height);

  // Binds both with a viewport over them and clears them: colour to the linear value of the
  // given sRGB bytes (so that reads compare with them directly), depth to 1.
  void clear(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  Picture read() const;
  // Keeps picture as artifacts/NAME.png.
  void save(const Picture& picture, const std::string& name) const;

  const int width;
  const int height;

private:
  RenderTarget color;
  DepthTarget depth;
};

}  // namespace ostrel::testing
