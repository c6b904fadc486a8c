// Prints what importing and drawing scene files costs on Windows: per file, the time of
// assimp's reading, of the copies and GPU buffers, of compiling the scene program and of
// making each mesh's program objects, for the first import of the process (which compiles)
// and a second one (which reuses the compiled code); then the CPU time of Scene::draw per
// frame (the GPU's own work is not waited for). Not a test: run it by hand under Wine from
// the project's folder (the scene program is read from resources\shaders):
//   tools/harness.sh wine out/windows/tests/bench/scene_import_benchmark.exe FILE.dae [...]
#include "render/Scene.h"
#include "render/ShaderBytecodeCache.h"

#include <d3d11.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using namespace ostrel;
using Clock = std::chrono::steady_clock;

void printTimes(const char* what, const Scene::ImportTimes& times) {
  std::printf("  %-7s read %7.1f ms, copies and buffers %7.1f ms, compile %7.1f ms, "
              "program objects %7.1f ms\n",
              what, times.read * 1e3, times.copies * 1e3, times.compile * 1e3,
              times.programs * 1e3);
}

// A camera the file has: the node of the first channel that names a camera-like node, else
// any name (the scene then draws its overview).
std::string someCamera(const Scene& scene) {
  for (const auto& [index, channel] : scene.channels) {
    if (channel.nodeName.rfind("Camera", 0) == 0) {
      return channel.nodeName;
    }
  }
  return "Camera";
}

double drawMicroseconds(Scene& scene, ID3D11DeviceContext* context, int frames) {
  const std::string camera = someCamera(scene);
  const double span = scene.channels.empty() ? 0.0 : scene.maxKeyTime - scene.minKeyTime;
  const auto start = Clock::now();
  for (int f = 0; f < frames; ++f) {
    const double time = scene.channels.empty() ? 0.0 : scene.minKeyTime + span * f / frames;
    scene.draw(context, camera, time);
  }
  return std::chrono::duration<double>(Clock::now() - start).count() * 1e6 / frames;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scene_import_benchmark FILE.dae [...]\n");
    return 2;
  }
  Microsoft::WRL::ComPtr<ID3D11Device> device;
  Microsoft::WRL::ComPtr<ID3D11DeviceContext> context;
  if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                               D3D11_SDK_VERSION, &device, nullptr, &context))) {
    std::fprintf(stderr, "no Direct3D 11 device\n");
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    const std::wstring path = argv[i];
    std::printf("%ls\n", path.c_str());
    try {
      Scene first(device.Get(), "first");
      first.load(path);
      std::size_t vertices = 0;
      for (const SceneMesh& mesh : first.meshes) {
        vertices += mesh.vertexCount;
      }
      std::printf("  %zu meshes, %zu vertices, %zu nodes, %zu channels\n", first.meshes.size(),
                  vertices, first.nodes.size(), first.channels.size());
      printTimes("first", first.importTimes);
      Scene second(device.Get(), "second");
      second.load(path);
      printTimes("second", second.importTimes);
      std::printf("  Scene::draw on the CPU: %.1f us per frame\n",
                  drawMicroseconds(second, context.Get(), 200));
    } catch (const std::exception& error) {
      std::printf("  %s\n", error.what());
    }
  }
  const ShaderBytecodeCache& cache = shaderBytecodeCache();
  std::printf("scene program: %u compilations, %u reuses, %.1f ms compiling\n",
              cache.compilations(), cache.reuses(), cache.compileTime().count() * 1e3);
  return 0;
}
