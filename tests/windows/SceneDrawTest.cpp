// Drawing imported scenes with the scene program on the real Direct3D 11 device, read back.
#include "render/Scene.h"
#include "render/ShaderBytecodeCache.h"

#include "../core/LogCapture.h"
#include "SceneTestSupport.h"

#include <d3d11shader.h>
#include <d3dcompiler.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

namespace ostrel {
namespace {

using testing::assimpModel;
using testing::Canvas;
using testing::Pixel;
using testing::pixelAt;
using testing::sceneFile;

constexpr std::uint8_t kClear[3] = {40, 40, 48};

class SceneDraw : public ::testing::Test {
protected:
  std::vector<std::uint8_t> drawn(Scene& scene, const std::string& camera, double time) {
    canvas.clear(kClear[0], kClear[1], kClear[2]);
    scene.draw(gpu.context.Get(), camera, time);
    return canvas.read();
  }
  Pixel at(const std::vector<std::uint8_t>& pixels, std::uint32_t x, std::uint32_t y) const {
    return pixelAt(pixels, canvas.width, x, y);
  }
  // Pixels that differ from the clear colour.
  std::size_t covered(const std::vector<std::uint8_t>& pixels) const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
      count += pixels[i] != kClear[0] || pixels[i + 1] != kClear[1] || pixels[i + 2] != kClear[2];
    }
    return count;
  }

  testing::InProjectFolder inProject;
  testing::LogCapture log;
  testing::TestDevice gpu;
  Canvas canvas{gpu.device.Get(), gpu.context.Get(), 320, 180};
};

TEST_F(SceneDraw, LitCubeSeenFromItsCameraWithTheNearerFaceWinning) {
  Scene scene(gpu.device.Get(), "lit cube");
  scene.load(sceneFile("lit-cube.dae"));
  ASSERT_TRUE(scene.meshes[0].program.vertexShader) << "the scene program did not compile";
  const auto pixels = drawn(scene, "Camera", 0.0);
  canvas.save(pixels, "scene-lit-cube");

  // The red cube's face towards the camera and the lamp fills the middle, lit.
  const Pixel middle = at(pixels, 160, 90);
  EXPECT_GT(middle.r, 150) << "r " << int(middle.r);
  EXPECT_LT(middle.g, 60);
  EXPECT_LT(middle.b, 60);
  // Above it the larger blue cube behind, drawn after the red one: the red one stays in
  // front where they overlap, the blue one shows where it does not.
  const Pixel above = at(pixels, 160, 23);
  EXPECT_GT(above.b, 100) << "b " << int(above.b);
  EXPECT_LT(above.r, 60);
  // Around both, the clear colour.
  for (const auto [x, y] : {std::pair{5u, 5u}, {290u, 90u}, {20u, 170u}, {314u, 174u}}) {
    const Pixel clear = at(pixels, x, y);
    EXPECT_EQ(clear.r, kClear[0]) << x << "," << y;
    EXPECT_EQ(clear.b, kClear[2]) << x << "," << y;
  }

  // A node without a channel placed like the camera shows the same picture.
  const auto still = drawn(scene, "Still", 0.0);
  std::size_t differing = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    differing += std::abs(int(pixels[i]) - int(still[i])) > 2;
  }
  EXPECT_LT(differing, pixels.size() / 200);
}

TEST_F(SceneDraw, ProgramConstantsMatchTheBuffersByteForByte) {
  const auto compiled = shaderBytecodeCache().compile(L"resources\\shaders\\test.hlsl",
                                                       "VertexMain", "vs_5_0");
  ASSERT_HRESULT_SUCCEEDED(compiled.result);
  testing::ComPtr<ID3D11ShaderReflection> reflection;
  ASSERT_HRESULT_SUCCEEDED(D3DReflect(compiled.code->GetBufferPointer(),
                                      compiled.code->GetBufferSize(), IID_PPV_ARGS(&reflection)));
  auto offsets = [&](const char* bufferName) {
    std::map<std::string, UINT> result;
    ID3D11ShaderReflectionConstantBuffer* buffer = reflection->GetConstantBufferByName(bufferName);
    D3D11_SHADER_BUFFER_DESC description{};
    EXPECT_HRESULT_SUCCEEDED(buffer->GetDesc(&description)) << bufferName;
    result["(size)"] = description.Size;
    for (UINT i = 0; i < description.Variables; ++i) {
      D3D11_SHADER_VARIABLE_DESC variable{};
      buffer->GetVariableByIndex(i)->GetDesc(&variable);
      result[variable.Name] = variable.StartOffset;
    }
    return result;
  };
  const auto transform = offsets("TransformConstants");
  EXPECT_EQ(transform.at("(size)"), sizeof(TransformConstants));
  EXPECT_EQ(transform.at("worldViewProjection"), offsetof(TransformConstants, worldViewProjection));
  EXPECT_EQ(transform.at("world"), offsetof(TransformConstants, world));
  EXPECT_EQ(transform.at("diffuse"), offsetof(TransformConstants, diffuse));
  EXPECT_EQ(transform.at("ambient"), offsetof(TransformConstants, ambient));
  EXPECT_EQ(transform.at("specular"), offsetof(TransformConstants, specular));
  EXPECT_EQ(transform.at("emissive"), offsetof(TransformConstants, emissive));
  EXPECT_EQ(transform.at("shininess"), offsetof(TransformConstants, shininess));
  EXPECT_EQ(transform.at("cameraPosition"), offsetof(TransformConstants, cameraPosition));
  const auto light = offsets("LightConstants");
  EXPECT_EQ(light.at("(size)"), sizeof(LightConstants));
  EXPECT_EQ(light.at("lights"), offsetof(LightConstants, lights));
  EXPECT_EQ(light.at("lightCount"), offsetof(LightConstants, lightCount));

  // The input layout is read from this signature: the vertex's five fields, in order.
  D3D11_SHADER_DESC shader{};
  reflection->GetDesc(&shader);
  ASSERT_EQ(shader.InputParameters, 5u);
  const char* semantics[] = {"POSITION", "NORMAL", "TANGENT", "BINORMAL", "TEXCOORD"};
  for (UINT i = 0; i < 5; ++i) {
    D3D11_SIGNATURE_PARAMETER_DESC parameter{};
    reflection->GetInputParameterDesc(i, &parameter);
    EXPECT_STREQ(parameter.SemanticName, semantics[i]);
  }
}

TEST_F(SceneDraw, EveryMeshHasItsOwnProgramsFromOneCompilation) {
  ShaderBytecodeCache& cache = shaderBytecodeCache();
  const std::uint32_t compilations = cache.compilations();
  const std::uint32_t reuses = cache.reuses();
  Scene first(gpu.device.Get(), "first");
  first.load(sceneFile("lit-cube.dae"));
  Scene second(gpu.device.Get(), "second");
  second.load(sceneFile("lit-cube.dae"));
  // Two programs in all, whatever the number of meshes; each mesh its own program objects.
  EXPECT_LE(cache.compilations() - compilations, 2u);
  EXPECT_GE(cache.reuses() - reuses, 6u);
  EXPECT_NE(first.meshes[0].program.vertexShader.Get(), first.meshes[1].program.vertexShader.Get());
  EXPECT_NE(first.meshes[0].program.pixelShader.Get(), second.meshes[0].program.pixelShader.Get());
  EXPECT_EQ(first.meshes[0].program.vertexMain, "VertexMain");
  EXPECT_EQ(first.meshes[0].program.pixelMain, "PixelMain");
  EXPECT_EQ(first.meshes[0].program.sourcePath, L"resources\\shaders\\test.hlsl");
}

// Files written by other programs draw a picture; a file without a camera is seen from in
// front of the whole scene.
TEST_F(SceneDraw, FilesFromOtherExportersDrawAPicture) {
  const struct {
    const char* model;
    const char* camera;
  } models[] = {{"box_nested_animation.dae", "Camera"},  // Blender 2.80, no camera
                {"cameras.dae", "Camera"},
                {"lights.dae", "Camera"},
                {"COLLADA.dae", "Camera"},
                {"anims_with_full_rotations_between_keys.DAE", "Camera"}};
  for (const auto& [model, camera] : models) {
    SCOPED_TRACE(model);
    Scene scene(gpu.device.Get(), model);
    scene.load(assimpModel(model));
    const double time = scene.channels.empty() ? 0.0 : 0.5 * (scene.minKeyTime + scene.maxKeyTime);
    const auto pixels = drawn(scene, camera, time);
    canvas.save(pixels, std::string("scene-") + model);
    EXPECT_GT(covered(pixels), pixels.size() / 4 / 100) << "less than 1% of the picture drawn";
  }
}

}  // namespace
}  // namespace ostrel
