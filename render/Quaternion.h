// Rotation quaternions (x, y, z, w) as the animation channels keep them, 16-byte aligned,
// with the spherical interpolation and the rotation matrix of DirectXMath.
#pragma once

#include "render/Matrix.h"

namespace ostrel {

struct alignas(16) Quaternion {
  float x = 0, y = 0, z = 0, w = 1;

  // A file's (w, x, y, z) divided by its length; a zero quaternion stays zero.
  static Quaternion normalizedFromWxyz(float w, float x, float y, float z);
};

static_assert(sizeof(Quaternion) == 16 && alignof(Quaternion) == 16);

float dot(const Quaternion& a, const Quaternion& b);

// Interpolates from q0 (factor 0) to q1 (factor 1) along the shorter arc: q1 is used with
// its sign flipped when the two lie more than half a turn apart. Nearly equal quaternions
// are blended linearly; the result is not renormalised.
Quaternion slerp(const Quaternion& q0, const Quaternion& q1, float factor);

// The rotation for row vectors; a unit quaternion gives an orthonormal matrix.
Matrix rotationMatrix(const Quaternion& q);

}  // namespace ostrel
