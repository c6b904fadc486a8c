// Which moment of its scene's animation a section shows: the section's marker entry names a
// stretch of the animation (start and end fractions of it), played over the section as the
// music moves from the section's marker to the next.
#pragma once

#include "registry/MarkerScene.h"

#include <string_view>

namespace ostrel {

// The animation time (in the scene's key units) for progress 0..1 through the section of
// markerName, in a scene whose keys run from firstKeyTime to lastKeyTime. An entry whose
// end lies below its start plays backwards; the section "Tessane" plays its stretch
// reversed as well.
double sceneAnimationTime(const MarkerScene& entry, std::string_view markerName,
                          double firstKeyTime, double lastKeyTime, double progress);

}  // namespace ostrel
