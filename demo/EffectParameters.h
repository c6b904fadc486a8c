// The 36 values the post-processing passes read every frame, in the layout their constant
// buffers copy: depth of field 3, lens 6, colour 16, overlay opacity 1 and bloom 10 floats,
// back to back. A default-constructed set holds the defaults (a frame without blocks).
#pragma once

#include <array>
#include <cstddef>

namespace ostrel {

struct EffectParameters {
  // Indices of the values the timeline's blocks drive; the others are the passes' constants.
  enum DepthOfField : std::size_t { kAperture = 0, kFocus = 1, kLimit = 2 };
  enum Color : std::size_t {
    kExposure = 0,
    kGrain = 3,
    kRed = 4,
    kGreen = 5,
    kBlue = 6,
    kContrast = 11,
    kFlash = 12,
    kGlitch0 = 13,
    kGlitch1 = 14,
    kGlitch2 = 15,
  };

  // Aperture, focus and limit, 0..1, as the depth-of-field pass's constants take them.
  std::array<float, 3> dofParameters = {0.01f, 0.5f, 0.8f};
  std::array<float, 6> lensParameters = {0.502f, 0.47f, 0.497f, 0.5f, 0.51f, 0.723f};
  // Four groups of four; exposure, grain, red, green, blue, contrast, flash and the three
  // glitch strengths at the indices above, each 0..1.
  std::array<float, 16> colorParameters = {0.547f, 0.552f, 0.436f, 0.697f, 0.645f, 0.528f,
                                           0.413f, 1.0f,   0.387f, 0.46f,  0.588f, 0.676f,
                                           0.0f,   0.0f,   0.0f,   0.0f};
  // 0..1; set by the logo schedule, not by blocks.
  float overlayAlpha = 0.0f;
  // Two groups of four and a pair.
  std::array<float, 10> bloomParameters = {0.206f, 0.931f, 0.137f, 0.0f, 0.14f,
                                           0.171f, 0.5f,   0.221f, 1.0f, 1.0f};

  // Every value back to its default.
  void reset() { *this = EffectParameters(); }
};

static_assert(sizeof(EffectParameters) == 36 * sizeof(float), "36 floats, no padding");
static_assert(offsetof(EffectParameters, lensParameters) == 3 * sizeof(float));
static_assert(offsetof(EffectParameters, colorParameters) == 9 * sizeof(float));
static_assert(offsetof(EffectParameters, overlayAlpha) == 25 * sizeof(float));
static_assert(offsetof(EffectParameters, bloomParameters) == 26 * sizeof(float));

}  // namespace ostrel
