// Progress between two markers.
#include "audio/NormalizedPosition.h"

#include <stdexcept>
#include <string>

namespace ostrel {

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
  const double start = from->pos;
  const double end = to->pos;
  const double now = double(position);
  if (now <= start) {
    return 0.0;
  }
  if (now >= end) {
    return 1.0;
  }
  return (now - start) / (end - start);
}

}  // namespace ostrel
