// Prints the CPU cost of a scene's frame without the GPU: channel evaluation, world matrices
// down the hierarchy, camera, lights, and one world x view x projection product per drawn
// mesh, on a made-up scene of many nodes and channels. Not a test: run it by hand, built
// without the sanitizers:
//   cmake -S . -B out/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build out/bench --target scene_animation_benchmark
//   out/bench/tests/bench/scene_animation_benchmark [NODES [KEYS]]
#include "render/SceneAnimation.h"
#include "render/TransformConstants.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

using namespace ostrel;

// nodes nodes in chains of four below the root, every node but the root animated by a
// channel of keys keys of each kind at 24 a second (in milliseconds, as Blender's files are),
// every node drawing one mesh, eight lights on the first eight nodes, and one camera.
SceneAnimation makeScene(int nodes, int keys) {
  SceneAnimation scene("benchmark");
  std::mt19937 random(1);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int i = 0; i <= nodes; ++i) {
    AnimationChannel channel;
    channel.index = i;
    channel.nodeName = i == nodes ? "Camera" : "node" + std::to_string(i);
    for (int k = 0; k < keys; ++k) {
      const float time = k * 1000.0f / 24.0f;
      channel.positionKeys.push_back({time, {unit(random), unit(random), unit(random)}});
      channel.rotationKeys.push_back(
          {time, Quaternion::normalizedFromWxyz(unit(random), unit(random), unit(random),
                                                unit(random))});
      channel.scalingKeys.push_back({time, {1, 1, 1}});
    }
    scene.channels.emplace(i, std::move(channel));
  }
  for (int i = 0; i < nodes; ++i) {
    SceneNode node;
    node.index = i;
    node.name = "node" + std::to_string(i);
    node.parent = i == 0 ? -1 : (i % 4 == 1 ? 0 : i - 1);
    node.channel = i == 0 ? -1 : i;
    node.meshIndices = {0};
    scene.nodes.emplace(i, std::move(node));
  }
  for (int i = 0; i < 8; ++i) {
    scene.lights.push_back({{1, 1, 1, 0}, {1, 0, 0.01f}, i % 2 == 0, "light", &scene.nodes.at(i)});
  }
  scene.minKeyTime = 0;
  scene.maxKeyTime = (keys - 1) * 1000.0 / 24.0;
  return scene;
}

// What Scene::draw does on the CPU for one frame; returns a value so that nothing is
// optimised away.
float frame(SceneAnimation& scene, double time, LightConstants& lights,
            TransformConstants& constants) {
  const CameraView view = scene.prepareFrame("Camera", time, lights);
  float sum = 0;
  for (const auto& [index, node] : scene.nodes) {
    for (std::size_t m = 0; m < node.meshIndices.size(); ++m) {
      constants.world = scene.meshMatrices[index];
      constants.worldViewProjection = constants.world * view.viewProjection;
      sum += constants.worldViewProjection.m[3][3];
    }
  }
  return sum;
}

// Microseconds per frame over frames frames with times from timeAt(frame).
template <class TimeAt>
double measure(SceneAnimation& scene, int frames, TimeAt timeAt, float& sink) {
  LightConstants lights{};
  TransformConstants constants;
  const auto start = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) {
    sink += frame(scene, timeAt(f), lights, constants);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return seconds * 1e6 / frames;
}

}  // namespace

int main(int argc, char** argv) {
  const int nodes = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int keys = argc > 2 ? std::atoi(argv[2]) : 2400;
  SceneAnimation scene = makeScene(nodes, keys);
  const double span = scene.maxKeyTime;
  const int frames = 2000;
  float sink = 0;
  measure(scene, 50, [](int) { return 0.0; }, sink);  // sizes the per-node arrays
  // A section played at 60 frames a second through a fortieth of the animation, forwards
  // and then backwards; then frames at random times (every search starts far away).
  const double step = span / 40 / frames;
  const double forwards = measure(scene, frames, [&](int f) { return f * step; }, sink);
  const double backwards =
      measure(scene, frames, [&](int f) { return span - f * step; }, sink);
  std::mt19937 random(2);
  std::uniform_real_distribution<double> anywhere(0, span);
  const double jumping = measure(scene, frames, [&](int) { return anywhere(random); }, sink);
  std::printf("scene frame on the CPU, %d nodes in chains of 4, %d channels of %d keys each,"
              " 8 lights, %d mesh draws\n",
              nodes, nodes, keys, nodes);
  std::printf("  playing forwards:  %8.1f us per frame (%.3f us per node)\n", forwards,
              forwards / nodes);
  std::printf("  playing backwards: %8.1f us per frame\n", backwards);
  std::printf("  random times:      %8.1f us per frame\n", jumping);
  return sink == 12345.0f ? 1 : 0;
}
