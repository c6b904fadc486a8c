// 4 x 4 single-precision matrices as the scenes use them: stored row by row and used with
// row vectors (p' = p x M, translation in the fourth row), on 16-byte boundaries so that a
// row loads into one SSE register. The operations follow DirectXMath's definitions.
#pragma once

#include "render/Vectors.h"

#include <optional>

namespace ostrel {

struct alignas(16) Matrix {
  float m[4][4];

  static Matrix identity();
  // Identity with the fourth row (t.x, t.y, t.z, 1).
  static Matrix translation(Float3 t);

  Float4 row(int index) const { return {m[index][0], m[index][1], m[index][2], m[index][3]}; }
};

static_assert(sizeof(Matrix) == 64 && alignof(Matrix) == 16);

// The ordinary product: a x b applies a first, then b, to a row vector.
Matrix operator*(const Matrix& a, const Matrix& b);

// The row vector v transformed by m (v x m).
Float4 operator*(const Float4& v, const Matrix& m);

Matrix transpose(const Matrix& m);

// The general inverse by cofactors; none when m is singular or not finite, so that a
// degenerate camera never turns into a view of infinities.
std::optional<Matrix> inverse(const Matrix& m);

// Left-handed perspective projection (view space looks along +z) onto depth 0..1:
// verticalFieldOfView is the full vertical angle in radians, aspectRatio width / height.
Matrix perspectiveLeftHanded(float verticalFieldOfView, float aspectRatio, float nearPlane,
                             float farPlane);

}  // namespace ostrel
