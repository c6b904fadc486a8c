// Import of Collada files into a Scene: the axis conversion, materials, lights, channels and
// nodes, reloading, and files that cannot be drawn as they are.
#include "registry/TextConversion.h"
#include "render/EventHandlerList.h"
#include "render/Scene.h"
#include "render/SceneConversion.h"

#include "../core/LogCapture.h"
#include "tests/windows/SceneTestSupport.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <iostream>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace ostrel {
namespace {

using testing::assimpModel;
using testing::sceneFile;

class SceneImport : public ::testing::Test {
protected:
  Scene& fresh(const char* key) {
    scene = std::make_unique<Scene>(testing::testDevice().device, key);
    return *scene;
  }
  // The message of the error that load throws, or "" when it throws none.
  std::string loadError(Scene& into, const std::wstring& path) {
    try {
      into.load(path);
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return {};
  }

  testing::ScopedWorkingDirectory inProject{testing::sourceFolder()};
  testing::LogCapture log;
  std::unique_ptr<Scene> scene;
};

bool contains(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST_F(SceneImport, VerticesTurnIntoTheSceneAxesAndKeep56BytesWithoutTexcoordsOrTangents) {
  Scene& triangle = fresh("triangle");
  triangle.load(sceneFile("triangle.dae"));
  ASSERT_EQ(triangle.meshes.size(), 2u);  // the triangle, and its lines apart
  const SceneMesh& mesh = triangle.meshes[0];
  ASSERT_EQ(mesh.vertexCount, 3u);
  ASSERT_EQ(mesh.indexCount, 3u);
  // The file's corner (1, 2, -3) is (1, 2, 3) once left-handed, (1, 3, -2) in scene axes;
  // its normal (0, 0, 1) becomes (0, 1, 0).
  bool found = false;
  for (const SceneVertex& vertex : mesh.vertices) {
    if (vertex.position.x == 1 && vertex.position.y == 3 && vertex.position.z == -2) {
      found = true;
      EXPECT_FLOAT_EQ(vertex.normal.y, 1.0f);
      EXPECT_FLOAT_EQ(vertex.normal.x, 0.0f);
      EXPECT_FLOAT_EQ(vertex.normal.z, 0.0f);
      EXPECT_EQ(vertex.tangent.x + vertex.tangent.y + vertex.tangent.z, 0.0f);
      EXPECT_EQ(vertex.texcoord.x + vertex.texcoord.y, 0.0f);
    }
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(mesh.vertexBuffer);
  D3D11_BUFFER_DESC description{};
  mesh.vertexBuffer->GetDesc(&description);
  EXPECT_EQ(description.ByteWidth, 3u * 56u);
}

TEST_F(SceneImport, PointsAndLinesAreLeftOutWithAWarning) {
  Scene& triangle = fresh("triangle");
  triangle.load(sceneFile("triangle.dae"));
  const SceneMesh& lines = triangle.meshes[1];
  EXPECT_EQ(lines.faceCount, 2u);
  EXPECT_EQ(lines.indexCount, 0u);
  EXPECT_FALSE(lines.vertexBuffer);
  EXPECT_FALSE(lines.indexBuffer);
  EXPECT_TRUE(contains(log.lines(), "has 2 faces of points or lines; they are not drawn"));
}

TEST_F(SceneImport, WithoutCameraOrKeysTheDefaultsAreStatedAndTheKeyRangeStaysOpen) {
  Scene& triangle = fresh("triangle");
  triangle.load(sceneFile("triangle.dae"));
  EXPECT_EQ(triangle.fieldOfView, SceneAnimation::kDefaultFieldOfView);
  EXPECT_EQ(triangle.nearPlane, SceneAnimation::kDefaultNearPlane);
  EXPECT_EQ(triangle.farPlane, SceneAnimation::kDefaultFarPlane);
  EXPECT_TRUE(contains(log.lines(), "warning Scene 'triangle' (" +
                                        toUtf8(sceneFile("triangle.dae")) +
                                        ") has no camera; drawn with a field of view of"));
  EXPECT_EQ(triangle.minKeyTime, std::numeric_limits<double>::max());
  EXPECT_EQ(triangle.maxKeyTime, -std::numeric_limits<double>::max());
}

TEST_F(SceneImport, CameraValuesThatCannotBeDrawnWithAreReplacedWithAWarning) {
  Scene& odd = fresh("odd");
  odd.load(sceneFile("odd-camera.dae"));
  EXPECT_EQ(odd.fieldOfView, SceneAnimation::kDefaultFieldOfView);
  EXPECT_EQ(odd.nearPlane, SceneAnimation::kDefaultNearPlane);
  EXPECT_EQ(odd.farPlane, SceneAnimation::kDefaultFarPlane);
  EXPECT_TRUE(contains(log.lines(), "warning Scene 'odd': camera 'Odd' has a field of view of"));
  EXPECT_TRUE(contains(log.lines(),
                       "warning Scene 'odd': camera 'Odd' has clip planes at 0 and 50; using 0.1 "
                       "and 1000"));
}

TEST_F(SceneImport, SpotLightIsDrawnAsAPointLightAndReported) {
  std::ostringstream out;
  std::streambuf* previous = std::cout.rdbuf(out.rdbuf());
  Scene& triangle = fresh("triangle");
  triangle.load(sceneFile("triangle.dae"));
  std::cout.rdbuf(previous);
  EXPECT_EQ(out.str(), "Unsupported light type Spot");
  ASSERT_EQ(triangle.lights.size(), 1u);
  EXPECT_TRUE(triangle.lights[0].isPoint);
  ASSERT_NE(triangle.lights[0].node, nullptr);
  EXPECT_EQ(triangle.lights[0].node->name, "Spot");
}

TEST_F(SceneImport, MaterialTakesEmissiveFromGreenAndScalesSpecularByItsStrength) {
  Scene& triangle = fresh("triangle");
  triangle.load(sceneFile("triangle.dae"));
  ASSERT_EQ(triangle.materials.size(), 1u);
  const SceneMaterial& shiny = triangle.materials[0];
  EXPECT_EQ(shiny.name, "Shiny");
  EXPECT_FLOAT_EQ(shiny.emissive, 0.7f);
  EXPECT_FLOAT_EQ(shiny.shininess, 30.0f);
  EXPECT_FLOAT_EQ(shiny.specular.x, 0.8f);  // Collada has no specular strength
  EXPECT_FALSE(shiny.textures[SceneMaterial::kDiffuse].present);

  // Collada files never carry "$mat.shinpercent": the conversion is given one directly.
  aiMaterial made;
  const aiColor4D specular(0.8f, 0.8f, 0.8f, 1.0f);
  const float strength = 0.5f;
  made.AddProperty(&specular, 1, "$clr.specular", 0, 0);
  made.AddProperty(&strength, 1, "$mat.shinpercent", 0, 0);
  const aiString texture("stone.png");
  made.AddProperty(&texture, "$tex.file", aiTextureType_NORMALS, 0);
  const SceneMaterial converted = sceneconversion::material(made, 3);
  EXPECT_FLOAT_EQ(converted.specular.x, 0.4f);
  EXPECT_FLOAT_EQ(converted.specular.z, 0.4f);
  EXPECT_FLOAT_EQ(converted.specular.w, 0.5f);
  EXPECT_EQ(converted.index, 3u);
  EXPECT_TRUE(converted.textures[SceneMaterial::kNormals].present);
  EXPECT_EQ(converted.textures[SceneMaterial::kNormals].path, "stone.png");
  // What the material does not say keeps the defaults.
  EXPECT_FLOAT_EQ(converted.diffuse.x, 0.5f);
  EXPECT_FLOAT_EQ(converted.ambient.w, 1.0f);
  EXPECT_FLOAT_EQ(converted.shininess, 1.0f);
  EXPECT_FLOAT_EQ(converted.emissive, 0.0f);
}

TEST_F(SceneImport, ChannelsAreNumberedAcrossAnimationsAndANodeTakesItsLastChannel) {
  Scene& clips = fresh("clips");
  clips.load(sceneFile("clips.dae"));
  EXPECT_TRUE(clips.meshes.empty());  // not assimp's stand-in bone pyramids
  ASSERT_EQ(clips.channels.size(), 6u);
  const char* names[] = {"A", "B", "C", "D", "B", "E"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(clips.channels.at(i).index, i);
    EXPECT_EQ(clips.channels.at(i).nodeName, names[i]);
  }
  EXPECT_EQ(clips.findChannel("B"), 1);
  std::int32_t bChannel = -2;
  for (const auto& [index, node] : clips.nodes) {
    EXPECT_EQ(node.index, index);
    if (node.name == "B") {
      bChannel = node.channel;
    }
  }
  EXPECT_EQ(bChannel, 4);
  // The clips' keys, in milliseconds: the first from 0 to 1000, the second from 500 to 2000.
  EXPECT_EQ(clips.minKeyTime, 0.0);
  EXPECT_EQ(clips.maxKeyTime, 2000.0);
  EXPECT_FLOAT_EQ(clips.channels.at(3).duration, 2000.0f);
}

TEST_F(SceneImport, RotationKeysAreNormalisedIntoXyzw) {
  aiNodeAnim source;
  source.mNodeName = "Spinner";
  source.mNumRotationKeys = 1;
  source.mRotationKeys = new aiQuatKey[1];
  source.mRotationKeys[0] = aiQuatKey(2.5, aiQuaternion(2, 0, 0, 0));
  const AnimationChannel channel = sceneconversion::channel(source, 7, 10.0);
  ASSERT_EQ(channel.rotationKeys.size(), 1u);
  EXPECT_EQ(channel.rotationKeys[0].time, 2.5f);
  EXPECT_EQ(channel.rotationKeys[0].value.x, 0.0f);
  EXPECT_EQ(channel.rotationKeys[0].value.w, 1.0f);
  EXPECT_EQ(channel.index, 7);
  EXPECT_TRUE(channel.positionKeys.empty());
}

TEST_F(SceneImport, FilesThatCannotBeReadNameTheSceneThePathAndTheReason) {
  Scene& kept = fresh("kept");
  kept.load(sceneFile("lit-cube.dae"));
  const std::size_t meshes = kept.meshes.size();
  const std::wstring broken[] = {sceneFile("missing.dae"), sceneFile("not-collada.dae"),
                                 sceneFile("broken.dae"),
                                 // assimp 5.2.5 cannot read this exporter's numbers
                                 assimpModel("library_animation_clips.dae"), L""};
  for (const std::wstring& path : broken) {
    const std::string message = loadError(kept, path);
    const std::string utf8 = toUtf8(path);
    EXPECT_EQ(message.rfind("Scene 'kept' could not be loaded from \"" + utf8 + "\": ", 0), 0u)
        << message;
    // What assimp itself says follows.
    Assimp::Importer importer;
    EXPECT_EQ(importer.ReadFile(utf8, sceneconversion::importFlags()), nullptr);
    EXPECT_NE(message.find(importer.GetErrorString()), std::string::npos) << message;
    // The scene keeps what it had.
    EXPECT_EQ(kept.meshes.size(), meshes);
  }
}

TEST_F(SceneImport, ASecondLoadReplacesEverythingAndReleasesTheOldBuffers) {
  Scene& scene = fresh("reloaded");
  scene.load(sceneFile("lit-cube.dae"));
  ID3D11Buffer* oldVertices = scene.meshes[0].vertexBuffer.Get();
  oldVertices->AddRef();
  scene.load(sceneFile("triangle.dae"));
  EXPECT_EQ(oldVertices->Release(), 0u) << "the first import's buffer is still held";
  EXPECT_EQ(scene.meshes.size(), 2u);
  EXPECT_EQ(scene.nodes.size(), 3u);
  EXPECT_EQ(scene.nodeCount, 3);
  EXPECT_EQ(scene.worldMatrices.size(), 3u);
  ASSERT_EQ(scene.lights.size(), 1u);
  EXPECT_EQ(scene.lights[0].name, "Spot");
  EXPECT_TRUE(scene.channels.empty());
  EXPECT_EQ(scene.minKeyTime, std::numeric_limits<double>::max());
  EXPECT_EQ(scene.fieldOfView, SceneAnimation::kDefaultFieldOfView);
}

TEST_F(SceneImport, AChangeOfItsFileReloadsTheSceneAndNothingElse) {
  Scene& scene = fresh("watched");
  scene.load(sceneFile("lit-cube.dae"));
  ID3D11Buffer* first = scene.meshes[0].vertexBuffer.Get();
  first->AddRef();  // to see whether the scene lets it go
  std::wostringstream out;
  std::wstreambuf* previous = std::wcout.rdbuf(out.rdbuf());
  eventHandlers().dispatch({ReloadEvent::kFileChanged, sceneFile("triangle.dae")});
  eventHandlers().dispatch({3, sceneFile("lit-cube.dae")});
  first->AddRef();
  EXPECT_EQ(first->Release(), 2u) << "another file, or another kind, reloaded the scene";
  eventHandlers().dispatch({ReloadEvent::kFileChanged, sceneFile("lit-cube.dae")});
  std::wcout.rdbuf(previous);
  EXPECT_EQ(out.str(), L"Reloading scene: " + sceneFile("lit-cube.dae") + L"\n");
  EXPECT_EQ(first->Release(), 0u) << "the reload kept the first import's buffer";
  EXPECT_EQ(scene.meshes.size(), 2u);
}

// Files written by other programs import completely: every mesh, vertex and triangle, light,
// channel and key that assimp reads is in the scene.
TEST_F(SceneImport, FilesFromOtherExportersImportCompletely) {
  const char* models[] = {"box_nested_animation.dae", "cameras.dae", "lights.dae",
                          "Cinema4D.dae", "ConcavePolygon.dae", "cube_tristrips.dae",
                          "cube_UTF8BOM.dae", "cube_emptyTags.dae", "cube_with_2UVs.DAE",
                          "sphere.dae", "teapot_instancenodes.DAE", "COLLADA.dae",
                          "anims_with_full_rotations_between_keys.DAE"};
  for (const char* model : models) {
    SCOPED_TRACE(model);
    Scene& imported = fresh(model);
    ASSERT_NO_THROW(imported.load(assimpModel(model)));
    Assimp::Importer importer;
    sceneconversion::configure(importer);
    const aiScene* file =
        importer.ReadFile(toUtf8(assimpModel(model)), sceneconversion::importFlags());
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(imported.meshes.size(), file->mNumMeshes);
    for (unsigned m = 0; m < file->mNumMeshes; ++m) {
      EXPECT_EQ(imported.meshes[m].vertexCount, file->mMeshes[m]->mNumVertices);
      EXPECT_EQ(imported.meshes[m].faceCount, file->mMeshes[m]->mNumFaces);
      EXPECT_EQ(bool(imported.meshes[m].vertexBuffer), imported.meshes[m].indexCount > 0);
    }
    EXPECT_EQ(imported.lights.size(), file->mNumLights);
    EXPECT_EQ(imported.materials.size(), file->mNumMaterials);
    unsigned channels = 0;
    for (unsigned a = 0; a < file->mNumAnimations; ++a) {
      channels += file->mAnimations[a]->mNumChannels;
    }
    EXPECT_EQ(imported.channels.size(), channels);
    EXPECT_EQ(std::size_t(imported.nodeCount), imported.nodes.size());
    // A camera's angle as assimp gives it, unless below a degree (a camera that gave only a
    // vertical angle), which is replaced.
    const float fieldOfView = file->mNumCameras > 0 ? file->mCameras[0]->mHorizontalFOV : 0.0f;
    EXPECT_EQ(imported.fieldOfView, fieldOfView >= 0.0175f ? fieldOfView
                                                           : SceneAnimation::kDefaultFieldOfView);
  }
}

}  // namespace
}  // namespace ostrel
