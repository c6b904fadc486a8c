// Quaternion normalisation, slerp and rotation matrix.
#include "render/Quaternion.h"

#include <cmath>

namespace ostrel {

namespace {

// Below this cosine of the angle between two keys slerp divides by sin(angle); above it the
// angle is too small for that to be accurate and a linear blend is as good.
constexpr float kSlerpLinearThreshold = 0.99999f;

}  // namespace

Quaternion Quaternion::normalizedFromWxyz(float w, float x, float y, float z) {
  const float length = std::sqrt(x * x + y * y + z * z + w * w);
  if (length == 0.0f) {
    return {0, 0, 0, 0};
  }
  return {x / length, y / length, z / length, w / length};
}

float dot(const Quaternion& a, const Quaternion& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

Quaternion slerp(const Quaternion& q0, const Quaternion& q1, float factor) {
  float cosine = dot(q0, q1);
  float sign = 1.0f;
  if (cosine < 0.0f) {
    sign = -1.0f;
    cosine = -cosine;
  }
  float weight0 = 1.0f - factor;
  float weight1 = factor;
  if (cosine < kSlerpLinearThreshold) {
    const float sine = std::sqrt(1.0f - cosine * cosine);
    const float angle = std::atan2(sine, cosine);
    weight0 = std::sin((1.0f - factor) * angle) / sine;
    weight1 = std::sin(factor * angle) / sine;
  }
  weight1 *= sign;
  return {q0.x * weight0 + q1.x * weight1, q0.y * weight0 + q1.y * weight1,
          q0.z * weight0 + q1.z * weight1, q0.w * weight0 + q1.w * weight1};
}

Matrix rotationMatrix(const Quaternion& q) {
  const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  const float xw = q.x * q.w, yw = q.y * q.w, zw = q.z * q.w;
  return {{{1 - 2 * yy - 2 * zz, 2 * xy + 2 * zw, 2 * xz - 2 * yw, 0},
           {2 * xy - 2 * zw, 1 - 2 * xx - 2 * zz, 2 * yz + 2 * xw, 0},
           {2 * xz + 2 * yw, 2 * yz - 2 * xw, 1 - 2 * xx - 2 * yy, 0},
           {0, 0, 0, 1}}};
}

}  // namespace ostrel
