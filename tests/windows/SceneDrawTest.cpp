// Drawing imported scenes with the scene program on the real Direct3D 11 device, read back.
#include "render/Scene.h"
#include "render/ShaderBytecodeCache.h"

#include "../core/LogCapture.h"
#include "tests/windows/SceneTestSupport.h"

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
using testing::Picture;
using testing::sceneFile;

constexpr std::uint8_t kClear[3] = {40, 40, 48};

class SceneDraw : public ::testing::Test {
protected:
  Picture drawn(Scene& scene, const std::string& camera, double time) {
    canvas.clear(kClear[0], kClear[1], kClear[2]);
    scene.draw(testing::testDevice().context, camera, time);
    return canvas.read();
  }
  // The share of the picture that differs from the clear colour, 0..1.
  static double covered(const Picture& picture) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
      const std::uint8_t* p = &picture.rgba[i];
      count += p[0] != kClear[0] || p[1] != kClear[1] || p[2] != kClear[2];
    }
    return double(count) / (picture.rgba.size() / 4);
  }

  ID3D11Device* device = testing::testDevice().device;
  testing::ScopedWorkingDirectory inProject{testing::sourceFolder()};
  testing::LogCapture log;
  Canvas canvas{320, 180};
};

TEST_F(SceneDraw, LitCubeSeenFromItsCameraWithTheNearerFaceWinning) {
  Scene scene(device, "lit cube");
  scene.load(sceneFile("lit-cube.dae"));
  ASSERT_TRUE(scene.meshes[0].program.vertexShader) << "the scene program did not compile";
  const Picture picture = drawn(scene, "Camera", 0.0);
  canvas.save(picture, "scene-lit-cube");

  // The red cube's face towards the camera and the lamp fills the middle, lit.
  const std::uint8_t* middle = picture.at(160, 90);
  EXPECT_GT(middle[0], 150) << "red " << int(middle[0]);
  EXPECT_LT(middle[1], 60);
  EXPECT_LT(middle[2], 60);
  // Above it the larger blue cube behind, drawn after the red one: the red one stays in
  // front where they overlap, the blue one shows where it does not.
  const std::uint8_t* above = picture.at(160, 23);
  EXPECT_GT(above[2], 100) << "blue " << int(above[2]);
  EXPECT_LT(above[0], 60);
  // Around both, the clear colour.
  for (const auto& [x, y] : {std::pair{5, 5}, {290, 90}, {20, 170}, {314, 174}}) {
    const std::uint8_t* clear = picture.at(x, y);
    EXPECT_EQ(clear[0], kClear[0]) << x << "," << y;
    EXPECT_EQ(clear[2], kClear[2]) << x << "," << y;
  }

  // A node without a channel placed like the camera shows the same picture.
  EXPECT_LE(testing::largestDifference(picture, drawn(scene, "Still", 0.0)), 2);
}

TEST_F(SceneDraw, ProgramConstantsMatchTheBuffersByteForByte) {
  const auto compiled = shaderBytecodeCache().compile(L"resources\\shaders\\test.hlsl",
                                                       "VertexMain", "vs_5_0");
  ASSERT_HRESULT_SUCCEEDED(compiled.result);
  testing::ComPtr<ID3D11ShaderReflection> reflection;
  // MinGW's header declares no __uuidof for the reflection interface: name its IID.
  ASSERT_HRESULT_SUCCEEDED(D3DReflect(compiled.code->GetBufferPointer(),
                                      compiled.code->GetBufferSize(), IID_ID3D11ShaderReflection,
                                      reinterpret_cast<void**>(reflection.GetAddressOf())));
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
  Scene first(device, "first");
  first.load(sceneFile("lit-cube.dae"));
  Scene second(device, "second");
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
    Scene scene(device, model);
    scene.load(assimpModel(model));
    const double time = scene.channels.empty() ? 0.0 : 0.5 * (scene.minKeyTime + scene.maxKeyTime);
    const Picture picture = drawn(scene, camera, time);
    canvas.save(picture, std::string("scene-") + model);
    EXPECT_GT(covered(picture), 0.01) << "less than 1% of the picture drawn";
  }
}

}  // namespace
}  // namespace ostrel
