// The portable half of a scene: its node hierarchy, animation channels, lights and camera
// values as imported, and the work of each frame that needs no GPU: evaluating channels at
// a time, world matrices down the hierarchy, the camera's view and projection, and placing
// the lights. Nothing here allocates once the scene is imported.
#pragma once

#include "render/AnimationChannel.h"
#include "render/Bounds.h"
#include "render/LightConstants.h"
#include "render/Matrix.h"
#include "render/SceneLight.h"
#include "render/SceneNode.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

// What every mesh of a frame shares: view x projection and the camera's world position.
struct CameraView {
  Matrix viewProjection;
  Float4 cameraPosition;  // w = 1
};

class SceneAnimation {
public:
  // Scene files hold 16:9 pictures: the projection keeps this aspect whatever the output.
  static constexpr float kAspectRatio = 1.7777778f;
  // A file without a camera is seen with these (the values assimp gives a camera that
  // states none): 45 degrees, clip planes at 0.1 and 1000 file units.
  static constexpr float kDefaultFieldOfView = 0.7853982f;
  static constexpr float kDefaultNearPlane = 0.1f;
  static constexpr float kDefaultFarPlane = 1000.0f;

  explicit SceneAnimation(std::string name);

  // The first channel, in index order, that moves the node of that name; -1 for none.
  std::int32_t findChannel(std::string_view nodeName) const;

  // The local transform a channel gives at time: rotation x translation x scale (the scale
  // also scales the translation). Moves the cursors to the keys found.
  static Matrix evaluateChannel(const AnimationChannel& channel, double time,
                                KeyCursors& cursors);

  // A camera's transform at time: position and rotation interpolated between the same
  // position keys, the scale ignored (rotation x translation).
  static Matrix evaluateCamera(const AnimationChannel& channel, double time);

  // The frame at time seen through the named camera: world matrices of every node, the
  // camera's view and projection, and the first eight placed lights.
  CameraView prepareFrame(std::string_view camera, double time, LightConstants& lights);

  // Steps of prepareFrame, in its order.
  //
  // World matrices: every node's transform acts child first, parent last, the root's (its
  // placement, without the file's unit) last of all, for meshes, cameras and lights alike.
  // A mesh's matrix first turns its vertices from the scene axes back into the file's.
  void updateWorldMatrices(double time);
  // The camera's transform: its channel's at time, else the node's own transform from the
  // file; unscaled, under its parents' transforms (unscaled too). For a name no node or
  // channel has, a view from in front of the whole scene (along +z, y up, everything in the
  // field of view). A camera without a channel is reported once.
  Matrix cameraMatrix(std::string_view camera, double time);
  Matrix projection() const;
  void placeLights(LightConstants& constants) const;

  // Forgets everything imported, for a new import into the same scene.
  void clearAnimation();

  std::string name;  // the scene key, named in log lines
  // Radians: the file's horizontal angle, used as the vertical one.
  float fieldOfView = kDefaultFieldOfView;
  float nearPlane = kDefaultNearPlane;
  float farPlane = kDefaultFarPlane;
  double minKeyTime = std::numeric_limits<double>::max();  // ticks of the file
  double maxKeyTime = -std::numeric_limits<double>::max();
  std::map<std::int32_t, AnimationChannel> channels;
  std::map<std::int32_t, SceneNode> nodes;
  std::vector<SceneLight> lights;
  // The vertices' scene axes (x, z, -y) turned back into the file's (x, y, z).
  static const Matrix kFromVertexAxes;

  std::vector<Matrix> worldMatrices;  // one per node index, 16-byte aligned
  std::vector<Matrix> meshMatrices;   // per node: kFromVertexAxes x its world matrix
  std::vector<Bounds> meshBounds;     // one per mesh, in the mesh's own coordinates

private:
  // True the first time a camera problem is seen, so that it is logged once, not per frame.
  bool firstReport(std::string_view camera);
  // The node's transform relative to its parent at time: its channel's, else the imported one.
  Matrix localTransform(SceneNode& node, double time) const;
  Matrix viewOf(std::string_view camera, const Matrix& cameraTransform);
  // The stand-in for a camera the file does not have: from in front of every drawn mesh.
  Matrix overview() const;

  std::set<std::string, std::less<>> reportedCameras;
  // The world matrix of the named node's parent, without scale; identity for none.
  Matrix parentPlacement(std::string_view nodeName) const;
};

}  // namespace ostrel
