// Matrix products four floats at a time; the inverse and the projection in plain floats.
#include "render/Matrix.h"

#include <cmath>

#include <xmmintrin.h>

namespace ostrel {

Matrix Matrix::identity() {
  return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

Matrix Matrix::translation(Float3 t) {
  return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {t.x, t.y, t.z, 1}}};
}

namespace {

// Row vector (x, y, z, w) times b, with b's rows already in registers.
inline __m128 transformRow(__m128 row, const __m128 (&b)[4]) {
  __m128 result = _mm_mul_ps(_mm_shuffle_ps(row, row, _MM_SHUFFLE(0, 0, 0, 0)), b[0]);
  result = _mm_add_ps(result, _mm_mul_ps(_mm_shuffle_ps(row, row, _MM_SHUFFLE(1, 1, 1, 1)), b[1]));
  result = _mm_add_ps(result, _mm_mul_ps(_mm_shuffle_ps(row, row, _MM_SHUFFLE(2, 2, 2, 2)), b[2]));
  return _mm_add_ps(result, _mm_mul_ps(_mm_shuffle_ps(row, row, _MM_SHUFFLE(3, 3, 3, 3)), b[3]));
}

}  // namespace

Matrix operator*(const Matrix& a, const Matrix& b) {
  const __m128 rows[4] = {_mm_load_ps(b.m[0]), _mm_load_ps(b.m[1]), _mm_load_ps(b.m[2]),
                          _mm_load_ps(b.m[3])};
  Matrix result;
  for (int i = 0; i < 4; ++i) {
    _mm_store_ps(result.m[i], transformRow(_mm_load_ps(a.m[i]), rows));
  }
  return result;
}

Float4 operator*(const Float4& v, const Matrix& m) {
  const __m128 rows[4] = {_mm_load_ps(m.m[0]), _mm_load_ps(m.m[1]), _mm_load_ps(m.m[2]),
                          _mm_load_ps(m.m[3])};
  alignas(16) float result[4];
  _mm_store_ps(result, transformRow(_mm_setr_ps(v.x, v.y, v.z, v.w), rows));
  return {result[0], result[1], result[2], result[3]};
}

Matrix transpose(const Matrix& m) {
  Matrix result;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      result.m[i][j] = m.m[j][i];
    }
  }
  return result;
}

std::optional<Matrix> inverse(const Matrix& m) {
  const auto& a = m.m;
  // 2 x 2 determinants of the upper two rows (s) and the lower two rows (c).
  const float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
  const float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
  const float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
  const float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
  const float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
  const float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
  const float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
  const float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
  const float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
  const float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
  const float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
  const float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
  const float determinant = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  if (determinant == 0.0f || !std::isfinite(determinant)) {
    return std::nullopt;
  }
  const float d = 1.0f / determinant;
  Matrix r;
  r.m[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * d;
  r.m[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * d;
  r.m[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * d;
  r.m[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * d;
  r.m[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * d;
  r.m[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * d;
  r.m[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * d;
  r.m[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * d;
  r.m[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * d;
  r.m[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * d;
  r.m[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * d;
  r.m[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * d;
  r.m[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * d;
  r.m[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * d;
  r.m[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * d;
  r.m[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * d;
  return r;
}

Matrix perspectiveLeftHanded(float verticalFieldOfView, float aspectRatio, float nearPlane,
                             float farPlane) {
  const float half = 0.5f * verticalFieldOfView;
  const float yScale = std::cos(half) / std::sin(half);
  const float xScale = yScale / aspectRatio;
  const float range = farPlane / (farPlane - nearPlane);
  return {{{xScale, 0, 0, 0}, {0, yScale, 0, 0}, {0, 0, range, 1}, {0, 0, -range * nearPlane, 0}}};
}

}  // namespace ostrel
