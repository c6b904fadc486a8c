// An axis-aligned box around points, empty until the first point is added.
#pragma once

#include "render/Matrix.h"
#include "render/Vectors.h"

#include <limits>

namespace ostrel {

struct Bounds {
  Float3 min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
             std::numeric_limits<float>::max()};
  Float3 max{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
             -std::numeric_limits<float>::max()};

  bool empty() const { return min.x > max.x; }
  void add(const Float3& point);
  void add(const Bounds& other);
  // The box around this one's eight corners moved by m (row vectors).
  Bounds transformed(const Matrix& m) const;
  Float3 center() const;
  float radius() const;  // half the diagonal
};

}  // namespace ostrel
