// Progress through spans of the timeline.
#include "audio/NormalizedPosition.h"

#include <stdexcept>
#include <string>

namespace ostrel {

double progressThrough(QWORD start, QWORD end, QWORD position) {
  const double from = double(start);
  const double to = double(end);
  const double now = double(position);
  if (now <= from) {
    return 0.0;
  }
  if (now >= to) {
    return 1.0;
  }
  return (now - from) / (to - from);
}

double normalizedPositionBetween(const Marker* from, const Marker* to, QWORD position) {
  if (!from) {
    return 0.0;
  }
  if (!to) {
    return 1.0;
  }
  if (from->pos > to->pos) {
    throw std::runtime_error(std::string("AudioManager::getNormalizedPositionForMarkers(): ") +
                             from->text + " happens at the same time or later than " + to->text +
                             "!");
  }
  return progressThrough(from->pos, to->pos, position);
}

}  // namespace ostrel
