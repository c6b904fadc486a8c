// The sizes every post-processing program is told at pixel constant-buffer slot 0: its
// inputs' and its output's width and height in pixels, at the mip level each view shows.
#pragma once

#include <cstddef>

namespace ostrel {

struct PostConstants {
  float inputSize[4][2];  // input i; entries beyond the draw's inputs are not written
  float outputSize[2];    // output 0
  float unused[2];        // pads the buffer to whole 16-byte registers; never written
};

static_assert(sizeof(PostConstants) == 48);
static_assert(offsetof(PostConstants, inputSize) == 0);
static_assert(offsetof(PostConstants, outputSize) == 32);

}  // namespace ostrel
