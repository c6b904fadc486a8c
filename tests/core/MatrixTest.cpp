// Matrix products, the general inverse, quaternions and the scene projection.
#include "render/Matrix.h"
#include "render/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace ostrel {
namespace {

void expectNear(const Matrix& actual, const Matrix& expected, float tolerance) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tolerance) << "row " << i << " column " << j;
    }
  }
}

Matrix naiveProduct(const Matrix& a, const Matrix& b) {
  Matrix result{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      for (int k = 0; k < 4; ++k) {
        result.m[i][j] += a.m[i][k] * b.m[k][j];
      }
    }
  }
  return result;
}

// A random rotation-translation-scale with some shear: well conditioned, far from singular.
Matrix wellConditioned(std::mt19937& random) {
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  Matrix m = rotationMatrix(Quaternion::normalizedFromWxyz(unit(random), unit(random),
                                                           unit(random), unit(random)));
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      m.m[i][j] = m.m[i][j] * (1.5f + 0.5f * unit(random)) + 0.2f * unit(random);
    }
    m.m[3][i] = 50.0f * unit(random);
  }
  return m;
}

TEST(Matrix, ProductIsTheOrdinaryProductForRowVectors) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    const Matrix a = wellConditioned(random);
    const Matrix b = wellConditioned(random);
    expectNear(a * b, naiveProduct(a, b), 1e-4f);
  }
  // A point moved by a translation, then rotated a quarter turn about z: (1, 0, 0) + (0, 2, 0)
  // = (1, 2, 0), then x -> y, y -> -x.
  const Matrix quarterTurn = rotationMatrix({0, 0, std::sin(0.25f * std::numbers::pi_v<float>),
                                             std::cos(0.25f * std::numbers::pi_v<float>)});
  const Float4 moved = Float4{1, 0, 0, 1} * (Matrix::translation({0, 2, 0}) * quarterTurn);
  EXPECT_NEAR(moved.x, -2.0f, 1e-6f);
  EXPECT_NEAR(moved.y, 1.0f, 1e-6f);
  EXPECT_NEAR(moved.w, 1.0f, 1e-6f);
}

TEST(Matrix, InverseTimesMatrixIsIdentity) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    const Matrix m = wellConditioned(random);
    const auto inverted = inverse(m);
    ASSERT_TRUE(inverted.has_value());
    expectNear(*inverted * m, Matrix::identity(), 2e-5f);
    expectNear(m * *inverted, Matrix::identity(), 2e-5f);
  }
}

TEST(Matrix, SingularOrNonFiniteMatricesHaveNoInverse) {
  Matrix flat = Matrix::identity();
  flat.m[1][1] = 0.0f;  // scaled to nothing along y
  EXPECT_FALSE(inverse(flat).has_value());
  Matrix broken = Matrix::identity();
  broken.m[3][0] = std::nanf("");
  EXPECT_FALSE(inverse(broken).has_value());
}

TEST(Matrix, ProjectionUsesTheFieldOfViewVerticallyAtSixteenByNine) {
  const float fieldOfView = 0.9f;
  const Matrix projection = perspectiveLeftHanded(fieldOfView, 1.7777778f, 0.5f, 200.0f);
  const float depth = 10.0f;
  const float top = depth * std::tan(0.5f * fieldOfView);
  auto project = [&](Float4 point) {
    const Float4 clip = point * projection;
    return Float3{clip.x / clip.w, clip.y / clip.w, clip.z / clip.w};
  };
  // The top edge of the vertical angle, and the right edge 16/9 as far out.
  EXPECT_NEAR(project({0, top, depth, 1}).y, 1.0f, 1e-5f);
  EXPECT_NEAR(project({top * 1.7777778f, 0, depth, 1}).x, 1.0f, 1e-5f);
  // Depth 0 at the near plane, 1 at the far plane, looking along +z.
  EXPECT_NEAR(project({0, 0, 0.5f, 1}).z, 0.0f, 1e-6f);
  EXPECT_NEAR(project({0, 0, 200.0f, 1}).z, 1.0f, 1e-5f);
}

TEST(Quaternion, FileOrderIsNormalisedIntoXyzw) {
  const Quaternion q = Quaternion::normalizedFromWxyz(2, 0, 0, 0);
  EXPECT_EQ(q.x, 0.0f);
  EXPECT_EQ(q.y, 0.0f);
  EXPECT_EQ(q.z, 0.0f);
  EXPECT_EQ(q.w, 1.0f);
  const Quaternion zero = Quaternion::normalizedFromWxyz(0, 0, 0, 0);
  EXPECT_EQ(zero.w, 0.0f);  // stays zero rather than dividing by zero
  const Quaternion q2 = Quaternion::normalizedFromWxyz(0, 0, 3, 4);
  EXPECT_FLOAT_EQ(q2.y, 0.6f);
  EXPECT_FLOAT_EQ(q2.z, 0.8f);
}

TEST(Quaternion, SlerpTakesTheShortWayAndQAndMinusQAreTheSameRotation) {
  const Quaternion q = Quaternion::normalizedFromWxyz(0.8f, 0.2f, -0.5f, 0.26f);
  const Quaternion minusQ{-q.x, -q.y, -q.z, -q.w};
  for (float factor : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
    const Quaternion blended = slerp(q, minusQ, factor);
    EXPECT_NEAR(blended.x, q.x, 1e-6f) << factor;
    EXPECT_NEAR(blended.y, q.y, 1e-6f) << factor;
    EXPECT_NEAR(blended.z, q.z, 1e-6f) << factor;
    EXPECT_NEAR(blended.w, q.w, 1e-6f) << factor;
  }
  // Identity to half a turn about z, a quarter of the way: an eighth of a turn.
  const float pi = std::numbers::pi_v<float>;
  const Quaternion halfTurn{0, 0, 1, 0};
  const Quaternion eighth = slerp({}, halfTurn, 0.25f);
  EXPECT_NEAR(eighth.z, std::sin(pi / 8), 1e-6f);
  EXPECT_NEAR(eighth.w, std::cos(pi / 8), 1e-6f);
  // From +135 to -135 degrees about z the short way passes 180 degrees (w = 0); the long
  // way would pass the identity.
  const float s = std::sin(3 * pi / 8), c = std::cos(3 * pi / 8);
  const Quaternion middle = slerp({0, 0, s, c}, {0, 0, -s, c}, 0.5f);
  EXPECT_NEAR(middle.w, 0.0f, 1e-6f);
  EXPECT_NEAR(std::abs(middle.z), 1.0f, 1e-6f);
}

TEST(Quaternion, NearlyEqualKeysBlendLinearly) {
  // cos(angle) above 0.99999: sin(angle) is too small to divide by.
  const Quaternion a = Quaternion::normalizedFromWxyz(1, 0, 0, 0);
  const Quaternion b = Quaternion::normalizedFromWxyz(1, 0, 0, 0.002f);
  ASSERT_GT(dot(a, b), 0.99999f);
  const Quaternion blended = slerp(a, b, 0.5f);
  EXPECT_FLOAT_EQ(blended.z, 0.5f * b.z);
  EXPECT_FLOAT_EQ(blended.w, 0.5f * (a.w + b.w));
}

TEST(Quaternion, RotationMatrixTurnsRowVectors) {
  const float pi = std::numbers::pi_v<float>;
  // A quarter turn about y (left-handed: x goes to -z).
  const Matrix r = rotationMatrix({0, std::sin(pi / 4), 0, std::cos(pi / 4)});
  const Float4 x = Float4{1, 0, 0, 0} * r;
  EXPECT_NEAR(x.x, 0.0f, 1e-6f);
  EXPECT_NEAR(x.z, -1.0f, 1e-6f);
  expectNear(r * transpose(r), Matrix::identity(), 1e-6f);
}

}  // namespace
}  // namespace ostrel
