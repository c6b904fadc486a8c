// What a section of the timeline shows: a scene, the camera to look through and the
// stretch of the scene's animation that the section plays.
#pragma once

#include <string>

namespace ostrel {

struct MarkerScene {
  double start = 0.0;  // 0..1, fraction of the animation shown when the section begins
  double end = 0.0;    // 0..1, shown when it ends; below start the animation runs backwards
  std::string sceneKey;
  std::string camera;
};

}  // namespace ostrel
