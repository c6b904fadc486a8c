// Animation channels, the hierarchy, cameras and lights of a frame, without a GPU.
#include "render/SceneAnimation.h"

#include "AllocationCount.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace ostrel {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

Quaternion aboutZ(float angle) { return {0, 0, std::sin(angle / 2), std::cos(angle / 2)}; }

void expectPoint(const Float4& actual, Float3 expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5f) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-5f) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-5f) << what;
}

Float4 origin(const Matrix& m) { return Float4{0, 0, 0, 1} * m; }

float rowLength(const Matrix& m, int row) {
  return std::hypot(m.m[row][0], m.m[row][1], m.m[row][2]);
}

// A channel with one key of each kind at time 0.
AnimationChannel still(const char* node, Float3 position, Quaternion rotation, Float3 scale) {
  AnimationChannel channel;
  channel.nodeName = node;
  channel.positionKeys = {{0, position}};
  channel.rotationKeys = {{0, rotation}};
  channel.scalingKeys = {{0, scale}};
  return channel;
}

SceneNode node(std::int32_t index, const char* name, std::int32_t parent,
               const Matrix& local = Matrix::identity()) {
  SceneNode made;
  made.index = index;
  made.name = name;
  made.parent = parent;
  made.local = local;
  return made;
}

TEST(SceneAnimation, ChannelInterpolatesBetweenKeysAndScalesAfterTranslating) {
  AnimationChannel channel;
  channel.positionKeys = {{0, {0, 0, 0}}, {10, {4, 0, 0}}};
  channel.rotationKeys = {{0, aboutZ(0)}, {10, aboutZ(kPi / 2)}};
  channel.scalingKeys = {{0, {1, 1, 1}}};
  KeyCursors cursors;
  const Matrix halfway = SceneAnimation::evaluateChannel(channel, 5.0, cursors);
  expectPoint(origin(halfway), {2, 0, 0}, "position halfway");
  expectPoint(Float4{1, 0, 0, 0} * halfway, {std::cos(kPi / 4), std::sin(kPi / 4), 0},
              "an eighth of a turn");

  // Rotation, then translation, then scale: the scale also scales the translation.
  const AnimationChannel scaled = still("node", {1, 0, 0}, {}, {2, 2, 2});
  const Matrix local = SceneAnimation::evaluateChannel(scaled, 0.0, cursors);
  expectPoint(origin(local), {2, 0, 0}, "translation scaled");
  expectPoint(Float4{1, 0, 0, 1} * local, {4, 0, 0}, "point scaled with it");
}

TEST(SceneAnimation, MissingKeysOfAKindLeaveThatPartOfTheTransformAlone) {
  AnimationChannel onlyRotation;
  onlyRotation.rotationKeys = {{0, aboutZ(kPi)}};
  KeyCursors cursors;
  const Matrix local = SceneAnimation::evaluateChannel(onlyRotation, 3.0, cursors);
  expectPoint(origin(local), {0, 0, 0}, "no position keys");
  expectPoint(Float4{1, 0, 0, 0} * local, {-1, 0, 0}, "rotation, unscaled");
  const Matrix nothing = SceneAnimation::evaluateChannel(AnimationChannel{}, 3.0, cursors);
  expectPoint(Float4{1, 2, 3, 1} * nothing, {1, 2, 3}, "no keys at all");
}

TEST(SceneAnimation, CameraSharesThePositionKeysSearchAndIgnoresScale) {
  AnimationChannel camera;
  camera.positionKeys = {{0, {0, 0, 0}}, {10, {10, 0, 0}}, {20, {10, 10, 0}}};
  camera.rotationKeys = {{0, aboutZ(0)}, {10, aboutZ(kPi / 2)}, {20, aboutZ(kPi / 2)}};
  camera.scalingKeys = {{0, {2, 2, 2}}, {20, {3, 3, 3}}};
  const Matrix at5 = SceneAnimation::evaluateCamera(camera, 5.0);
  expectPoint(origin(at5), {5, 0, 0}, "position, unscaled");
  EXPECT_NEAR(rowLength(at5, 0), 1.0f, 1e-5f);
  expectPoint(Float4{1, 0, 0, 0} * at5, {std::cos(kPi / 4), std::sin(kPi / 4), 0}, "rotation");

  // Fewer rotation keys than position keys: the rotation keys are searched by their own
  // times, never indexed past their end.
  camera.rotationKeys = {{0, aboutZ(0)}, {20, aboutZ(kPi / 2)}};
  expectPoint(Float4{1, 0, 0, 0} * SceneAnimation::evaluateCamera(camera, 15.0),
              {std::cos(3 * kPi / 8), std::sin(3 * kPi / 8), 0}, "own rotation keys");
  camera.rotationKeys.clear();
  expectPoint(Float4{1, 0, 0, 0} * SceneAnimation::evaluateCamera(camera, 15.0), {1, 0, 0},
              "no rotation keys");
}

class SceneFrame : public ::testing::Test {
protected:
  void addChannel(AnimationChannel channel) {
    channel.index = static_cast<std::int32_t>(scene.channels.size());
    scene.channels.emplace(channel.index, std::move(channel));
  }
  void addNode(SceneNode made) {
    made.channel = scene.findChannel(made.name);
    scene.nodes.emplace(made.index, std::move(made));
  }

  SceneAnimation scene{"test scene"};
  LightConstants lights{};
};

TEST_F(SceneFrame, ChildrenActBeforeTheirParentsAndTheRootLast) {
  // The root turns a quarter about z and moves 10 along x; below it "arm" is turned a
  // quarter and moved up 5, and "hand" sits 1 along the arm's x; a camera and a directional
  // light hang on the arm.
  addNode(node(0, "root", -1, rotationMatrix(aboutZ(kPi / 2)) * Matrix::translation({10, 0, 0})));
  addNode(node(1, "arm", 0, rotationMatrix(aboutZ(kPi / 2)) * Matrix::translation({0, 5, 0})));
  addNode(node(2, "hand", 1, Matrix::translation({1, 0, 0})));
  addNode(node(3, "eye", 1, Matrix::translation({0, 0, 2})));
  scene.worldMatrices.assign(4, Matrix::identity());  // as an import leaves them
  scene.updateWorldMatrices(0.0);
  // The arm: up 5, turned by the root to (-5, 0), moved to (5, 0).
  expectPoint(origin(scene.worldMatrices[1]), {5, 0, 0}, "arm");
  // The hand: 1 along x, turned by the arm to (0, 1), moved up to (0, 6), then by the root
  // to (-6, 0) and (4, 0).
  expectPoint(origin(scene.worldMatrices[2]), {4, 0, 0}, "hand");
  // A mesh's vertices come in scene axes: (1, 0, -1) is the file's (1, 1, 0), moved along
  // the hand to (2, 1), turned by the arm to (-1, 2), up to (-1, 7), by the root to (-7, -1)
  // and (3, -1).
  expectPoint(Float4{1, 0, -1, 1} * scene.meshMatrices[2], {3, -1, 0}, "hand's mesh");
  // A camera node without a channel, and a light, sit under the same parents.
  expectPoint(origin(scene.cameraMatrix("eye", 0.0)), {5, 0, 2}, "camera");
  scene.lights.push_back({{1, 1, 1, 0}, {1, 0, 0}, false, "hand", &scene.nodes.at(2),
                          {1, 0, 0}});
  scene.placeLights(lights);
  expectPoint(lights.lights[0].lightVector, {-1, 0, 0}, "towards the light, turned twice");
  EXPECT_EQ(lights.lights[0].lightVector.w, 0.0f);
}

TEST_F(SceneFrame, AChannelMovesItsNodeAndTheLastMatchingChannelWins) {
  addChannel(still("box", {1, 0, 0}, {}, {1, 1, 1}));
  addChannel(still("other", {0, 9, 0}, {}, {1, 1, 1}));
  addChannel(still("box", {0, 0, 7}, {}, {2, 2, 2}));
  EXPECT_EQ(scene.findChannel("box"), 0);  // the first, as the camera lookup sees it
  addNode(node(0, "root", -1));
  SceneNode box = node(1, "box", 0, Matrix::translation({5, 5, 5}));
  box.channel = 2;  // as the import assigns: the last channel that names the node
  scene.nodes.emplace(1, box);
  scene.updateWorldMatrices(0.0);
  expectPoint(origin(scene.worldMatrices[1]), {0, 0, 14}, "channel 2, scaled");
  EXPECT_EQ(scene.nodes.at(1).channelRef, &scene.channels.at(2));
}

TEST_F(SceneFrame, ScaledCameraIsDrawnUnscaledWhileAMeshNodeIsScaled) {
  addChannel(still("Camera", {0, 0, -10}, {}, {2, 2, 2}));
  addChannel(still("Box", {0, 0, 0}, {}, {2, 2, 2}));
  addNode(node(0, "root", -1));
  addNode(node(1, "Box", 0));
  const CameraView view = scene.prepareFrame("Camera", 0.0, lights);
  EXPECT_EQ(view.cameraPosition.z, -10.0f);
  EXPECT_EQ(view.cameraPosition.w, 1.0f);
  EXPECT_NEAR(rowLength(scene.worldMatrices[1], 0), 2.0f, 1e-6f);
  const Matrix expected = *inverse(Matrix::translation({0, 0, -10})) * scene.projection();
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      EXPECT_NEAR(view.viewProjection.m[i][j], expected.m[i][j], 1e-5f);
    }
  }
}

TEST_F(SceneFrame, CameraWithoutChannelUsesItsNodeElseAnOverviewAndSaysSoOnce) {
  testing::LogCapture log;
  Matrix placed = Matrix::translation({3, 4, 5});
  placed.m[0][0] = placed.m[1][1] = placed.m[2][2] = 3.0f;  // scaled: drawn unscaled
  // The node's own transform, as a channel would give it, under the root's quarter turn.
  addNode(node(0, "root", -1, rotationMatrix(aboutZ(kPi / 2))));
  addNode(node(1, "Still", 0, placed));
  // A box from (-1, -1, -1) to (1, 1, 1) drawn at (10, 0, 0) by a node below the root, so at
  // (0, 10, 0).
  scene.meshBounds.push_back({{-1, -1, -1}, {1, 1, 1}});
  SceneNode box = node(2, "Box", 0, Matrix::translation({10, 0, 0}));
  box.meshIndices = {0};
  addNode(box);
  scene.fieldOfView = 2 * std::asin(0.5f);  // sin(half angle) = 0.5
  for (int frame = 0; frame < 3; ++frame) {
    const CameraView view = scene.prepareFrame("Still", frame, lights);
    expectPoint(view.cameraPosition, {-4, 3, 5}, "node's placement, turned by the root");
    const CameraView overview = scene.prepareFrame("Nowhere", frame, lights);
    // Back from the box's centre by twice its radius (sqrt 3), looking along +z.
    expectPoint(overview.cameraPosition, {0, 10, -2 * std::sqrt(3.0f)}, "overview");
  }
  EXPECT_EQ(rowLength(scene.cameraMatrix("Still", 0.0), 1), 1.0f);
  EXPECT_EQ(scene.cameraMatrix("Nowhere", 0.0).m[2][2], 1.0f);
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "warning Scene 'test scene' has no animation channel for camera 'Still'; drawing "
            "through the camera node's own placement");
  EXPECT_EQ(lines[1],
            "warning Scene 'test scene' has no camera 'Nowhere'; drawing from in front of the "
            "whole scene, looking along +z with y up");
}

TEST_F(SceneFrame, FirstEightPlacedLightsAreUploadedInFileOrder) {
  addNode(node(0, "root", -1));
  for (int i = 1; i <= 10; ++i) {
    addNode(node(i, "lamp", 0, Matrix::translation({float(i), 0, 0})));
  }
  scene.updateWorldMatrices(0.0);
  scene.lights.push_back({{9, 9, 9, 0}, {1, 0, 0}, true, "unplaced", nullptr});
  for (int i = 1; i <= 10; ++i) {
    const bool isPoint = i != 2;
    scene.lights.push_back({{float(i), 0, 0, 0}, {1, 0.5f, 0.25f}, isPoint, "lamp",
                            &scene.nodes.at(i)});
  }
  scene.placeLights(lights);
  EXPECT_EQ(lights.lightCount, 8);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(lights.lights[k].lightColor.x, float(k + 1)) << k;
  }
  expectPoint(lights.lights[0].lightVector, {1, 0, 0}, "point light at its node");
  EXPECT_EQ(lights.lights[0].lightVector.w, 1.0f);
  expectPoint(lights.lights[1].lightVector, {0, 0, -1}, "directional: towards its node's -z");
  EXPECT_EQ(lights.lights[1].lightVector.w, 0.0f);
  EXPECT_EQ(lights.lights[7].lightAttenuation.z, 0.25f);
}

TEST_F(SceneFrame, AFrameAllocatesNothing) {
  for (int i = 0; i < 50; ++i) {
    AnimationChannel channel;
    channel.nodeName = "node" + std::to_string(i);
    for (int key = 0; key < 20; ++key) {
      channel.positionKeys.push_back({float(key), {float(key), 0, 0}});
      channel.rotationKeys.push_back({float(key), aboutZ(0.1f * key)});
      channel.scalingKeys.push_back({float(key), {1, 1, 1}});
    }
    addChannel(channel);
    addNode(node(i, channel.nodeName.c_str(), i - 1));
  }
  scene.lights.push_back({{1, 1, 1, 0}, {1, 0, 0}, true, "node3", &scene.nodes.at(3)});
  scene.prepareFrame("node0", 0.0, lights);  // sizes the per-node arrays once
  testing::LogCapture log;
  scene.prepareFrame("nothing", 0.0, lights);  // the one warning may allocate
  const std::size_t before = testing::allocationCount();
  for (double time = 0; time < 20; time += 0.37) {
    scene.prepareFrame("node0", time, lights);
    scene.prepareFrame("nothing", 20 - time, lights);
  }
  EXPECT_EQ(testing::allocationCount(), before);
}

}  // namespace
}  // namespace ostrel
