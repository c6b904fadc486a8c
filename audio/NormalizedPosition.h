// How far the music has advanced through a span of the timeline, 0..1.
#pragma once

#include "audio/Marker.h"

namespace ostrel {

// 0 at or before start, 1 at or after end, linear in between. Equal ends never divide: the
// result is then 0 at the position itself and 1 after it.
double progressThrough(QWORD start, QWORD end, QWORD position);

// progressThrough the two markers' positions; 0 without from, 1 without to. Throws
// std::runtime_error when from lies after to (equal positions are accepted).
double normalizedPositionBetween(const Marker* from, const Marker* to, QWORD position);

}  // namespace ostrel
