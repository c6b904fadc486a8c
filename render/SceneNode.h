// One node of a scene's hierarchy: where it sits relative to its parent, what it draws and
// which animation channel moves it.
#pragma once

#include "render/AnimationChannel.h"
#include "render/Matrix.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

// The last key found in each key list of a channel; kept between frames.
struct KeyCursors {
  std::int32_t positionCursor = 0;
  std::int32_t rotationCursor = 0;
  std::int32_t scalingCursor = 0;
};

struct SceneNode {
  std::int32_t index = 0;  // depth-first pre-order from the root, from 0: parents come first
  std::string name;
  std::vector<std::uint32_t> meshIndices;
  std::int32_t parent = -1;   // -1 for the root
  std::int32_t channel = -1;  // the channel that moves the node, -1 for none
  Matrix local = Matrix::identity();  // relative to the parent, as imported
  KeyCursors cursors;
  const AnimationChannel* channelRef = nullptr;  // channel, looked up on first use
};

}  // namespace ostrel
