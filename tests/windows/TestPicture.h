// Pictures to run the post-processing passes on: made in code, at any size.
#pragma once

#include "tests/windows/RenderTesting.h"

namespace ostrel::testing {

// A colourful picture with something for every pass: colour bars, a hue and lightness
// field, a night scene of bright lights on black, a grey ramp with a skin tone, and fine
// checkerboards, thin diagonal lines and a hard-edged disc.
Picture testPicture(int width, int height);

// A logo-like image to lay over a picture: a gold ring and bar on transparent ground, with
// soft edges and a half-transparent band.
Picture overlayImage(int width, int height);

}  // namespace ostrel::testing
