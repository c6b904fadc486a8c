// How far the music has advanced from one marker to the next, 0..1.
#pragma once

#include "audio/Marker.h"

namespace ostrel {

// 0 at or before from, 1 at or after to, linear in between; 0 without from, 1 without to.
// Throws std::runtime_error when from lies after to (equal positions are accepted).
double normalizedPositionBetween(const Marker* from, const Marker* to, QWORD position);

}  // namespace ostrel
