// Boxes around points.
#include "render/Bounds.h"

#include <algorithm>
#include <cmath>

namespace ostrel {

void Bounds::add(const Float3& p) {
  min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
  max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

void Bounds::add(const Bounds& other) {
  if (!other.empty()) {
    add(other.min);
    add(other.max);
  }
}

Bounds Bounds::transformed(const Matrix& m) const {
  Bounds result;
  if (empty()) {
    return result;
  }
  for (int corner = 0; corner < 8; ++corner) {
    const Float4 p{corner & 1 ? max.x : min.x, corner & 2 ? max.y : min.y,
                   corner & 4 ? max.z : min.z, 1.0f};
    const Float4 moved = p * m;
    result.add(Float3{moved.x, moved.y, moved.z});
  }
  return result;
}

Float3 Bounds::center() const {
  return {0.5f * (min.x + max.x), 0.5f * (min.y + max.y), 0.5f * (min.z + max.z)};
}

float Bounds::radius() const {
  return 0.5f * std::hypot(max.x - min.x, max.y - min.y, max.z - min.z);
}

}  // namespace ostrel
