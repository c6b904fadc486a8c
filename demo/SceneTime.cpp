// The time mapping of a section.
#include "demo/SceneTime.h"

namespace ostrel {

double sceneAnimationTime(const MarkerScene& entry, std::string_view markerName,
                          double firstKeyTime, double lastKeyTime, double progress) {
  const double span = lastKeyTime - firstKeyTime;
  const double from = entry.start * span + firstKeyTime;
  const double to = entry.end * span + firstKeyTime;
  // "Tessane" mirrors the section before it: its stretch plays from end to start.
  const double p = markerName == "Tessane" ? 1.0 - progress : progress;
  return (to - from) * p + from;
}

}  // namespace ostrel
