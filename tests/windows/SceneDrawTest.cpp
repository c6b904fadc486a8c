// Drawing imported scenes with the scene program on the real Direct3D 11 device, read back.
#include "registry/Resources.h"
#include "registry/TextConversion.h"
#include "render/Scene.h"
#include "render/ShaderBytecodeCache.h"
#include "render/Texture.h"

#include "../core/LogCapture.h"
#include "tests/windows/SceneTestSupport.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <d3d11shader.h>
#include <d3dcompiler.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <map>
#include <string>
#include <vector>

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
  // Width and height in pixels of the box around the red pixels.
  static std::pair<int, int> redExtent(const Picture& picture) {
    int left = picture.width, right = -1, top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const std::uint8_t* p = picture.at(x, y);
        if (p[0] > p[2] + 60) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      }
    }
    return {right - left + 1, bottom - top + 1};
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

  // The red cube's face towards the camera fills the middle, lit by the lamp above and to
  // the right of the camera: brightest towards the top right, never black.
  auto expectRed = [&](int x, int y) {
    const std::uint8_t* p = picture.at(x, y);
    EXPECT_GT(p[0], 150) << x << "," << y;
    EXPECT_GT(p[0], p[1] + 60) << x << "," << y;
    EXPECT_GT(p[0], p[2] + 60) << x << "," << y;
  };
  expectRed(160, 90);
  expectRed(115, 135);
  expectRed(205, 45);
  EXPECT_GT(picture.at(205, 45)[0], picture.at(115, 135)[0]);
  // Above it the larger blue cube behind, drawn after the red one: the red one stays in
  // front where they overlap, the blue one shows where it does not.
  const std::uint8_t* above = picture.at(160, 23);
  EXPECT_GT(above[2], 150) << "blue " << int(above[2]);
  EXPECT_GT(above[2], above[0] + 50);
  // Around both, the clear colour.
  for (const auto& [x, y] : {std::pair{5, 5}, {290, 90}, {20, 170}, {314, 174}}) {
    const std::uint8_t* clear = picture.at(x, y);
    EXPECT_EQ(clear[0], kClear[0]) << x << "," << y;
    EXPECT_EQ(clear[2], kClear[2]) << x << "," << y;
  }

  // A node without a channel placed like the camera shows the same picture.
  EXPECT_LE(testing::largestDifference(picture, drawn(scene, "Still", 0.0)), 2);

  // The projection is 16:9 whatever the output: on a 5:4 target the cube covers the same
  // share of the width and of the height, so it is drawn stretched, not cut.
  Canvas square(320, 256);
  square.clear(kClear[0], kClear[1], kClear[2]);
  scene.draw(testing::testDevice().context, "Camera", 0.0);
  const Picture stretched = square.read();
  square.save(stretched, "scene-lit-cube-5x4");
  const auto [wide, wideHeight] = redExtent(picture);
  const auto [tall, tallHeight] = redExtent(stretched);
  EXPECT_NEAR(wide / 320.0, tall / 320.0, 2.0 / 320);
  EXPECT_NEAR(wideHeight / 180.0, tallHeight / 256.0, 2.0 / 180);
}

// The same scene below one node that turns and moves it (moved-root.dae): its meshes, its
// cameras (with and without a channel) and its point light move together, so through its own
// cameras it looks as it does unmoved.
TEST_F(SceneDraw, ANodeAboveEverythingMovesCamerasAndLightsWithTheMeshes) {
  Scene plain(device, "lit cube");
  plain.load(sceneFile("lit-cube.dae"));
  Scene moved(device, "moved root");
  moved.load(sceneFile("moved-root.dae"));
  for (const char* camera : {"Camera", "Still"}) {
    SCOPED_TRACE(camera);
    const Picture expected = drawn(plain, camera, 0.0);
    const Picture picture = drawn(moved, camera, 0.0);
    canvas.save(picture, std::string("scene-moved-root-") + camera);
    EXPECT_GT(covered(picture), 0.2);
    EXPECT_LE(testing::largestDifference(picture, expected), 2);
  }
}

// A sun lamp above a cube, made and rendered by Blender (tests/data/make_sun_cube.py): the
// faces Blender's render lights are the ones the scene program lights, pixel by pixel.
TEST_F(SceneDraw, DirectionalLightLightsTheFacesBlenderLights) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* reference = stbi_load(toUtf8(sceneFile("sun-cube-blender.png")).c_str(), &width,
                                 &height, &channels, 4);
  ASSERT_NE(reference, nullptr) << "sun-cube-blender.png: " << stbi_failure_reason();
  const std::vector<std::uint8_t> blender(reference, reference + std::size_t(width) * height * 4);
  stbi_image_free(reference);
  ASSERT_EQ(width, canvas.width);
  ASSERT_EQ(height, canvas.height);

  Scene scene(device, "sun cube");
  scene.load(sceneFile("sun-cube.dae"));
  ASSERT_EQ(scene.lights.size(), 1u);
  ASSERT_FALSE(scene.lights[0].isPoint);
  const Picture picture = drawn(scene, "Camera", 0.0);
  canvas.save(picture, "scene-sun-cube");

  // Blender's unlit face is black (no world light, no bounces) on a transparent ground; ours
  // keeps the ambient light assimp gives a Lambert material, far below a lit face.
  std::size_t both = 0, agreeing = 0, lit = 0, onlyOne = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* theirs = &blender[(std::size_t(y) * width + x) * 4];
      const std::uint8_t* ours = picture.at(x, y);
      const bool theirsCovered = theirs[3] > 128;
      const bool oursCovered =
          ours[0] != kClear[0] || ours[1] != kClear[1] || ours[2] != kClear[2];
      if (theirsCovered != oursCovered) {
        ++onlyOne;
        continue;
      }
      if (!theirsCovered) {
        continue;
      }
      ++both;
      const bool theirsLit = theirs[0] > 60;
      lit += theirsLit;
      agreeing += theirsLit == (ours[0] > 150);
    }
  }
  ASSERT_GT(both, 1500u) << "the cube is not where Blender's camera sees it";
  // Blender's render is anti-aliased and ours is not: the outlines may differ by a pixel.
  EXPECT_LT(double(onlyOne) / both, 0.06) << "the outlines differ";
  EXPECT_GT(double(lit) / both, 0.3);  // both kinds of face are in view
  EXPECT_LT(double(lit) / both, 0.9);
  std::cout << agreeing << " of " << both << " pixels of the cube lit or unlit as in Blender's "
            << "render; " << onlyOne << " drawn by one of the two only\n";
  EXPECT_GT(double(agreeing) / both, 0.97)
      << agreeing << " of " << both << " pixels lit or unlit as in Blender's render";
}

TEST_F(SceneDraw, ProgramConstantsMatchTheBuffersByteForByte) {
  // Constant buffer name -> variable name -> offset in bytes, "(size)" -> its size.
  auto reflect = [](const char* entry, const char* profile) {
    std::map<std::string, std::map<std::string, UINT>> buffers;
    const auto compiled =
        shaderBytecodeCache().compile(L"resources\\shaders\\test.hlsl", entry, profile);
    EXPECT_HRESULT_SUCCEEDED(compiled.result) << entry;
    testing::ComPtr<ID3D11ShaderReflection> reflection;
    // MinGW's header declares no __uuidof for the reflection interface: name its IID.
    if (FAILED(compiled.result) ||
        FAILED(D3DReflect(compiled.code->GetBufferPointer(), compiled.code->GetBufferSize(),
                          IID_ID3D11ShaderReflection,
                          reinterpret_cast<void**>(reflection.GetAddressOf())))) {
      ADD_FAILURE() << "no reflection of " << entry;
      return buffers;
    }
    D3D11_SHADER_DESC shader{};
    reflection->GetDesc(&shader);
    for (UINT b = 0; b < shader.ConstantBuffers; ++b) {
      ID3D11ShaderReflectionConstantBuffer* buffer = reflection->GetConstantBufferByIndex(b);
      D3D11_SHADER_BUFFER_DESC description{};
      buffer->GetDesc(&description);
      auto& variables = buffers[description.Name];
      variables["(size)"] = description.Size;
      for (UINT i = 0; i < description.Variables; ++i) {
        D3D11_SHADER_VARIABLE_DESC variable{};
        buffer->GetVariableByIndex(i)->GetDesc(&variable);
        variables[variable.Name] = variable.StartOffset;
      }
    }
    if (std::string(entry) == "VertexMain") {
      // The input layout is read from this signature: the vertex's five fields, in order.
      EXPECT_EQ(shader.InputParameters, 5u);
      const char* semantics[] = {"POSITION", "NORMAL", "TANGENT", "BINORMAL", "TEXCOORD"};
      for (UINT i = 0; i < std::min(shader.InputParameters, 5u); ++i) {
        D3D11_SIGNATURE_PARAMETER_DESC parameter{};
        reflection->GetInputParameterDesc(i, &parameter);
        EXPECT_STREQ(parameter.SemanticName, semantics[i]);
      }
    }
    return buffers;
  };
  const auto vertex = reflect("VertexMain", "vs_5_0");
  const auto pixel = reflect("PixelMain", "ps_5_0");
  ASSERT_TRUE(vertex.count("TransformConstants") && pixel.count("LightConstants"));
  const auto& transform = vertex.at("TransformConstants");
  const auto& light = pixel.at("LightConstants");
  EXPECT_EQ(transform.at("(size)"), sizeof(TransformConstants));
  EXPECT_EQ(transform.at("worldViewProjection"), offsetof(TransformConstants, worldViewProjection));
  EXPECT_EQ(transform.at("world"), offsetof(TransformConstants, world));
  EXPECT_EQ(transform.at("diffuse"), offsetof(TransformConstants, diffuse));
  EXPECT_EQ(transform.at("ambient"), offsetof(TransformConstants, ambient));
  EXPECT_EQ(transform.at("specular"), offsetof(TransformConstants, specular));
  EXPECT_EQ(transform.at("emissive"), offsetof(TransformConstants, emissive));
  EXPECT_EQ(transform.at("shininess"), offsetof(TransformConstants, shininess));
  EXPECT_EQ(transform.at("cameraPosition"), offsetof(TransformConstants, cameraPosition));
  EXPECT_EQ(light.at("(size)"), sizeof(LightConstants));
  EXPECT_EQ(light.at("lights"), offsetof(LightConstants, lights));
  EXPECT_EQ(light.at("lightCount"), offsetof(LightConstants, lightCount));
  // The pixel program reads the same transform constants.
  EXPECT_EQ(pixel.at("TransformConstants"), transform);
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

// Files written by other programs draw a picture through their first camera; a file without
// a camera is seen from in front of the whole scene, one without lights by a light at the
// camera.
TEST_F(SceneDraw, FilesFromOtherExportersDrawAPicture) {
  const char* models[] = {"box_nested_animation.dae",  // Blender 2.80; no camera, no light
                          "COLLADA.dae",  // centimetres, Y up, two cameras and lights
                          "Cinema4D.dae"};
  for (const char* model : models) {
    SCOPED_TRACE(model);
    Assimp::Importer importer;
    const aiScene* file = importer.ReadFile(toUtf8(assimpModel(model)), 0);
    ASSERT_NE(file, nullptr);
    const std::string camera = file->mNumCameras > 0 ? file->mCameras[0]->mName.C_Str() : "";
    Scene scene(device, model);
    scene.load(assimpModel(model));
    const double time = scene.channels.empty() ? 0.0 : 0.5 * (scene.minKeyTime + scene.maxKeyTime);
    const Picture picture = drawn(scene, camera, time);
    canvas.save(picture, std::string("scene-") + model);
    EXPECT_GT(covered(picture), 0.01) << "less than 1% of the picture drawn";
  }
}

// Every Collada file of assimp's own tests either draws (through its first camera or the
// overview, lit by its lights or the camera light) or is refused with a message naming the
// scene, the file and the reason. The ones that draw go on a contact sheet in file order
// (artifacts/scene-other-exporters.png), listed with the refusals in
// scene-other-exporters.txt, for people to look at.
TEST_F(SceneDraw, EveryFileOfAssimpsTestsDrawsOrIsRefusedWithAReason) {
  constexpr int kColumns = 5;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(assimpModel(""))) {
    std::wstring extension = entry.path().extension().wstring();
    for (wchar_t& c : extension) c = wchar_t(std::towlower(c));
    if (extension == L".dae" || extension == L".zae") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 25u);
  std::vector<Picture> tiles;
  std::string list;
  for (const std::filesystem::path& file : files) {
    const std::string name = toUtf8(file.filename().wstring());
    SCOPED_TRACE(name);
    Scene scene(device, name);
    try {
      scene.load(file.wstring());
    } catch (const std::exception& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find(toUtf8(file.wstring())), std::string::npos) << message;
      list += name + ": refused: " + message + "\n";
      continue;
    }
    Assimp::Importer importer;
    const aiScene* source = importer.ReadFile(toUtf8(file.wstring()), 0);
    const std::string camera =
        source && source->mNumCameras > 0 ? source->mCameras[0]->mName.C_Str() : "";
    const double time =
        scene.channels.empty() ? 0.0 : 0.5 * (scene.minKeyTime + scene.maxKeyTime);
    const Picture picture = drawn(scene, camera, time);
    const double share = covered(picture);
    if (scene.meshes.empty()) {
      // Cameras or lights alone (assimp's stand-in bone pyramids are off): nothing to see.
      EXPECT_EQ(share, 0.0);
      list += name + ": no meshes, nothing drawn\n";
      continue;
    }
    // A file's own camera shows its meshes. The overview (along +z, y up) shows a flat
    // polygon in a plane along z edge-on, and a sparse chain of small boxes as specks, so
    // its share is listed, not required.
    if (!camera.empty()) {
      EXPECT_GT(share, 0.01) << "less than 1% of the picture drawn";
    }
    list += name + ": drawn, tile " + std::to_string(tiles.size() + 1) + " through " +
            (camera.empty() ? std::string("the overview") : "camera '" + camera + "'") +
            ", " + std::to_string(int(share * 1000 + 0.5) / 10.0).substr(0, 4) +
            "% of the picture\n";
    tiles.push_back(picture);
  }
  const int rows = int(tiles.size() + kColumns - 1) / kColumns;
  Picture sheet(kColumns * (canvas.width + 4), rows * (canvas.height + 4));
  for (std::size_t t = 0; t < tiles.size(); ++t) {
    const int left = int(t % kColumns) * (canvas.width + 4) + 2;
    const int top = int(t / kColumns) * (canvas.height + 4) + 2;
    for (int y = 0; y < canvas.height; ++y) {
      std::copy_n(tiles[t].at(0, y), canvas.width * 4, sheet.at(left, top + y));
    }
  }
  for (std::size_t i = 3; i < sheet.rgba.size(); i += 4) sheet.rgba[i] = 255;
  ASSERT_TRUE(testing::writePng(testing::artifactsFolder() + L"/scene-other-exporters.png", sheet));
  std::ofstream(std::filesystem::path(testing::artifactsFolder()) / "scene-other-exporters.txt")
      << list;
  std::cout << list;
}

// The production's own scenes, made with Blender: each draws a picture through every camera
// that the marker table names for it, at the middle of that marker's stretch of animation.
TEST_F(SceneDraw, ProductionScenesDrawThroughTheirMarkerCameras) {
  Resources resources;
  std::map<std::string, std::map<std::string, double>> cameras;  // scene -> camera -> fraction
  for (const auto& [marker, entry] : resources.markerScenes) {
    cameras[entry.sceneKey][entry.camera] = 0.5 * (entry.start + entry.end);
  }
  Canvas large(480, 270);
  for (const auto& [key, path] : resources.scenes) {
    SCOPED_TRACE(key);
    Scene scene(device, key);
    ASSERT_NO_THROW(scene.load(path));
    if (cameras[key].empty()) {
      cameras[key]["Camera"] = 0.5;  // no marker shows it
    }
    for (const auto& [camera, fraction] : cameras[key]) {
      SCOPED_TRACE(camera);
      EXPECT_NE(scene.findChannel(camera), -1);
      const double time = scene.minKeyTime + fraction * (scene.maxKeyTime - scene.minKeyTime);
      large.clear(kClear[0], kClear[1], kClear[2]);
      scene.draw(testing::testDevice().context, camera, time);
      const Picture picture = large.read();
      large.save(picture, "production-" + key + "-" + camera);
      EXPECT_GT(covered(picture), 0.05);
    }
  }
}

// The textures a material names come from the textures folder; one missing there ends the
// import with an error naming the scene, the material and the file.
TEST_F(SceneDraw, MaterialTexturesComeFromTheTexturesFolder) {
  const std::string camera = "camera1";
  {
    Scene scene(device, "duck");
    const std::string message = [&] {
      try {
        scene.load(assimpModel("duck.dae"));
      } catch (const std::runtime_error& error) {
        return std::string(error.what());
      }
      return std::string();
    }();
    EXPECT_EQ(message, "Scene 'duck' (" + toUtf8(assimpModel("duck.dae")) +
                           "), material 'blinn3': Unable to load texture file: "
                           "resources\\textures\\./duckCM.tga");
  }
  // A working folder of the production's layout that has the duck's texture.
  const std::filesystem::path root =
      std::filesystem::path(testing::artifactsFolder()) / ".." / "scene-textures-root";
  std::filesystem::create_directories(root / "resources" / "shaders");
  std::filesystem::create_directories(root / "resources" / "textures");
  auto copy = [](const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::remove(to);  // MinGW's copy_file does not overwrite
    std::filesystem::copy_file(from, to);
  };
  copy(std::filesystem::path(testing::sourceFolder()) / "resources" / "shaders" / "test.hlsl",
       root / "resources" / "shaders" / "test.hlsl");
  copy(assimpModel("duckCM.tga"), root / "resources" / "textures" / "duckCM.tga");
  testing::ScopedWorkingDirectory inRoot(root.wstring());
  Scene scene(device, "duck");
  scene.load(assimpModel("duck.dae"));
  ASSERT_EQ(scene.materials.size(), 1u);
  const TextureSlot& diffuse = scene.materials[0].textures[SceneMaterial::kDiffuse];
  EXPECT_TRUE(diffuse.present);
  ASSERT_TRUE(diffuse.texture);
  EXPECT_TRUE(diffuse.texture->view);
  const Picture picture = drawn(scene, camera, 0.0);
  canvas.save(picture, "scene-duck");
  EXPECT_GT(covered(picture), 0.01);
}

}  // namespace
}  // namespace ostrel
