// Channel evaluation, the hierarchy, the camera and the lights of one frame.
#include "render/SceneAnimation.h"

#include "registry/DemoLogger.h"
#include "render/KeySearch.h"
#include "render/Quaternion.h"

#include <cmath>
#include <span>

#include <xmmintrin.h>

namespace ostrel {
namespace {

Float3 lerp(const Float3& a, const Float3& b, float factor) {
  return {a.x + (b.x - a.x) * factor, a.y + (b.y - a.y) * factor, a.z + (b.z - a.z) * factor};
}

Float3 sampleVectors(std::span<const VectorKey> keys, const KeyInterval& at) {
  return lerp(keys[at.current].value, keys[at.next].value, at.factor);
}

Quaternion sampleRotations(std::span<const QuaternionKey> keys, const KeyInterval& at) {
  return slerp(keys[at.current].value, keys[at.next].value, at.factor);
}

// A key list of some kind may be empty in a damaged file: that part of the transform is
// then the identity's.
Float3 vectorAt(std::span<const VectorKey> keys, double time, std::int32_t& cursor,
                Float3 none) {
  return keys.empty() ? none : sampleVectors(keys, findKeyInterval(keys, time, cursor));
}

Quaternion rotationAt(std::span<const QuaternionKey> keys, double time, std::int32_t& cursor) {
  return keys.empty() ? Quaternion{} : sampleRotations(keys, findKeyInterval(keys, time, cursor));
}

// rotation x translation(position) x scale(scale), without the general products: the scale
// multiplies the columns of rotation x translation.
Matrix composeTransform(const Quaternion& rotation, const Float3& position, const Float3& scale) {
  Matrix result = rotationMatrix(rotation);
  result.m[3][0] = position.x;
  result.m[3][1] = position.y;
  result.m[3][2] = position.z;
  const __m128 columns = _mm_setr_ps(scale.x, scale.y, scale.z, 1.0f);
  for (auto& row : result.m) {
    _mm_store_ps(row, _mm_mul_ps(_mm_load_ps(row), columns));
  }
  return result;
}

// The node's transform without its scale: a camera is drawn unscaled.
Matrix withoutScale(Matrix transform) {
  for (int i = 0; i < 3; ++i) {
    float* row = transform.m[i];
    const float length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
    if (length > 0.0f) {
      row[0] /= length;
      row[1] /= length;
      row[2] /= length;
    }
  }
  return transform;
}

}  // namespace

const Matrix SceneAnimation::kFromVertexAxes{{{1, 0, 0, 0},
                                               {0, 0, 1, 0},
                                               {0, -1, 0, 0},
                                               {0, 0, 0, 1}}};

SceneAnimation::SceneAnimation(std::string name) : name(std::move(name)) {}

std::int32_t SceneAnimation::findChannel(std::string_view nodeName) const {
  for (const auto& [index, channel] : channels) {
    if (channel.nodeName == nodeName) {
      return index;
    }
  }
  return -1;
}

Matrix SceneAnimation::evaluateChannel(const AnimationChannel& channel, double time,
                                       KeyCursors& cursors) {
  const Float3 position =
      vectorAt(channel.positionKeys, time, cursors.positionCursor, Float3{0, 0, 0});
  const Quaternion rotation = rotationAt(channel.rotationKeys, time, cursors.rotationCursor);
  const Float3 scale = vectorAt(channel.scalingKeys, time, cursors.scalingCursor, Float3{1, 1, 1});
  return composeTransform(rotation, position, scale);
}

Matrix SceneAnimation::evaluateCamera(const AnimationChannel& channel, double time) {
  const std::span<const VectorKey> positions = channel.positionKeys;
  const std::span<const QuaternionKey> rotations = channel.rotationKeys;
  Float3 position;
  Quaternion rotation;
  if (!positions.empty()) {
    const KeyInterval at = findKeyIntervalPrecise(positions, time);
    position = sampleVectors(positions, at);
    if (rotations.size() == positions.size()) {
      rotation = sampleRotations(rotations, at);
    }
  }
  // Rotation keys that do not pair up with the position keys are searched by their own
  // times rather than indexed with positions they do not have.
  if (!rotations.empty() && rotations.size() != positions.size()) {
    rotation = sampleRotations(rotations, findKeyIntervalPrecise(rotations, time));
  }
  return composeTransform(rotation, position, Float3{1, 1, 1});
}

CameraView SceneAnimation::prepareFrame(std::string_view camera, double time,
                                        LightConstants& lightConstants) {
  updateWorldMatrices(time);
  const Matrix cameraTransform = cameraMatrix(camera, time);
  placeLights(lightConstants);
  return {viewOf(camera, cameraTransform) * projection(), cameraTransform.row(3)};
}

void SceneAnimation::updateWorldMatrices(double time) {
  if (worldMatrices.size() != nodes.size() || meshMatrices.size() != nodes.size()) {
    // Only after an import: sized once, then rewritten in place every frame.
    worldMatrices.assign(nodes.size(), Matrix::identity());
    meshMatrices.assign(nodes.size(), Matrix::identity());
  }
  for (auto& [index, node] : nodes) {
    const Matrix local = localTransform(node, time);
    // Pre-order numbering puts every parent before its children.
    const bool root = node.parent < 0 || node.parent >= index;
    worldMatrices[index] = root ? local : local * worldMatrices[node.parent];
    meshMatrices[index] = kFromVertexAxes * worldMatrices[index];
  }
}

Matrix SceneAnimation::parentPlacement(std::string_view nodeName) const {
  for (const auto& [index, node] : nodes) {
    if (node.name == nodeName) {
      const bool root = node.parent < 0 || node.parent >= index;
      return root ? Matrix::identity() : withoutScale(worldMatrices[node.parent]);
    }
  }
  return Matrix::identity();
}

Matrix SceneAnimation::localTransform(SceneNode& node, double time) const {
  if (node.channel != -1 && node.channelRef == nullptr) {
    const auto found = channels.find(node.channel);
    if (found != channels.end()) {
      node.channelRef = &found->second;
    }
  }
  return node.channelRef ? evaluateChannel(*node.channelRef, time, node.cursors) : node.local;
}

Matrix SceneAnimation::cameraMatrix(std::string_view camera, double time) {
  const std::int32_t channel = findChannel(camera);
  if (channel != -1) {
    return evaluateCamera(channels.at(channel), time) * parentPlacement(camera);
  }
  for (const auto& [index, node] : nodes) {
    if (node.name == camera) {
      if (firstReport(camera)) {
        demoLogger()->warn(
            "Scene '{}' has no animation channel for camera '{}'; drawing through the "
            "camera node's own placement",
            name, camera);
      }
      return withoutScale(node.local) * parentPlacement(camera);
    }
  }
  if (firstReport(camera)) {
    demoLogger()->warn(
        "Scene '{}' has no camera '{}'; drawing from in front of the whole scene, looking "
        "along +z with y up",
        name, camera);
  }
  return overview();
}

Matrix SceneAnimation::overview() const {
  Bounds scene;
  for (const auto& [index, node] : nodes) {
    for (const std::uint32_t mesh : node.meshIndices) {
      if (mesh < meshBounds.size()) {
        scene.add(meshBounds[mesh].transformed(meshMatrices[index]));
      }
    }
  }
  if (scene.empty()) {
    return Matrix::identity();
  }
  // Far enough back that the sphere around everything fits the vertical angle.
  const float distance = scene.radius() / std::sin(0.5f * fieldOfView);
  const Float3 center = scene.center();
  return Matrix::translation({center.x, center.y, center.z - distance});
}

Matrix SceneAnimation::viewOf(std::string_view camera, const Matrix& cameraTransform) {
  if (const auto view = inverse(cameraTransform)) {
    return *view;
  }
  if (firstReport(camera)) {
    demoLogger()->warn(
        "Scene '{}': camera '{}' has a degenerate transform; drawing from the origin", name,
        camera);
  }
  return Matrix::identity();
}

Matrix SceneAnimation::projection() const {
  return perspectiveLeftHanded(fieldOfView, kAspectRatio, nearPlane, farPlane);
}

void SceneAnimation::placeLights(LightConstants& constants) const {
  std::int32_t count = 0;
  for (const SceneLight& light : lights) {
    if (count == kMaxSceneLights) {
      break;
    }
    if (light.node == nullptr) {
      continue;
    }
    const Float3& towards = light.towardsLight;
    const Float4 origin =
        light.isPoint ? Float4{0, 0, 0, 1} : Float4{towards.x, towards.y, towards.z, 0};
    LightConstants::Light& entry = constants.lights[count++];
    entry.lightVector = origin * worldMatrices[light.node->index];
    entry.lightColor = light.color;
    entry.lightAttenuation = light.attenuation;
  }
  constants.lightCount = count;
}

void SceneAnimation::clearAnimation() {
  fieldOfView = kDefaultFieldOfView;
  nearPlane = kDefaultNearPlane;
  farPlane = kDefaultFarPlane;
  minKeyTime = std::numeric_limits<double>::max();
  maxKeyTime = -std::numeric_limits<double>::max();
  lights.clear();
  meshBounds.clear();
  nodes.clear();
  channels.clear();
  worldMatrices.clear();
  meshMatrices.clear();
  reportedCameras.clear();
}

bool SceneAnimation::firstReport(std::string_view camera) {
  if (reportedCameras.find(camera) != reportedCameras.end()) {
    return false;
  }
  reportedCameras.emplace(camera);
  return true;
}

}  // namespace ostrel
