// Import of a Collada file through assimp, and the draw of a frame.
#include "render/Scene.h"

#include "registry/DemoLogger.h"
#include "registry/TextConversion.h"
#include "render/BufferCreation.h"
#include "render/SceneConversion.h"
#include "render/ShaderBytecodeCache.h"
#include "render/StepTimer.h"
#include "render/Texture.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <fmt/format.h>

#include <cmath>
#include <iostream>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace ostrel {

namespace conversion = sceneconversion;

namespace {

// Below a degree is no lens anyone draws with: it is what assimp reports for a camera that
// gives only a vertical angle without an aspect ratio (its default, 45, read as degrees).
bool usableFieldOfView(float radians) {
  constexpr float kDegree = std::numbers::pi_v<float> / 180.0f;
  return std::isfinite(radians) && radians >= kDegree && radians < std::numbers::pi_v<float>;
}

bool usableClipPlanes(float nearPlane, float farPlane) {
  return std::isfinite(nearPlane) && std::isfinite(farPlane) && nearPlane > 0.0f &&
         farPlane > nearPlane;
}

}  // namespace

Scene::Scene(ID3D11Device* device, std::string name)
    : SceneAnimation(std::move(name)),
      device(device),
      logger(demoLogger()),
      resources(masterResources()) {}

void Scene::load(const std::wstring& path) {
  const StepTimer timer;
  sourcePath = path;
  const std::string utf8Path = toUtf8(path);
  logger->info("Attempting to load scene '{}' from path: {} ", name, utf8Path);
  Assimp::Importer importer;
  conversion::configure(importer);
  const aiScene* file = importer.ReadFile(utf8Path, conversion::importFlags());
  const double reading = timer.seconds();
  if (file == nullptr || file->mRootNode == nullptr) {
    const char* reason = importer.GetErrorString();
    throw std::runtime_error(fmt::format("Scene '{}' could not be loaded from \"{}\": {}", name,
                                         utf8Path, *reason ? reason : "no scene in the file"));
  }
  // Everything that may fail comes first, so that a failed reload leaves the scene whole.
  std::vector<SceneMaterial> importedMaterials = importMaterials(*file);

  importTimes = {};
  importTimes.read = reading;
  clearAnimation();
  meshes.clear();
  materials = std::move(importedMaterials);
  nodeCount = 0;
  importLights(*file);
  importMeshes(*file);
  importAnimations(*file);
  importNodes(*file);
  worldMatrices.assign(nodes.size(), Matrix::identity());
  meshMatrices.assign(nodes.size(), Matrix::identity());
  importCamera(*file);
  placeLightsOnNodes();
  createConstantBuffers();
  importTimes.copies =
      timer.seconds() - importTimes.read - importTimes.compile - importTimes.programs;
}

void Scene::handleEvent(const ReloadEvent& event) {
  if (event.kind != ReloadEvent::kFileChanged || event.path != sourcePath) {
    return;
  }
  std::wcout << L"Reloading scene: " << sourcePath << L"\n";
  std::wcout.clear();  // a path the console cannot show must not silence later reports
  try {
    load(sourcePath);
  } catch (const std::exception& error) {
    logger->critical("{}; the scene keeps what it had", error.what());
  }
}

void Scene::importLights(const aiScene& file) {
  for (unsigned i = 0; i < file.mNumLights; ++i) {
    const aiLight& source = *file.mLights[i];
    if (!conversion::isSupportedLight(source)) {
      std::cout << "Unsupported light type " << source.mName.C_Str();
    }
    lights.push_back(conversion::light(source));
  }
}

void Scene::importMeshes(const aiScene& file) {
  // A mesh's Shader links itself into the handler list where it is made: build the meshes
  // in place, never moved by a growing vector.
  meshes.reserve(file.mNumMeshes);
  for (unsigned i = 0; i < file.mNumMeshes; ++i) {
    importMesh(*file.mMeshes[i], i);
  }
}

void Scene::importMesh(const aiMesh& source, std::uint32_t index) {
  SceneMesh& mesh = meshes.emplace_back(device);
  copyGeometry(source, index, mesh);
  Bounds& bounds = meshBounds.emplace_back();
  for (const SceneVertex& vertex : mesh.vertices) {
    bounds.add(vertex.position);
  }
  createMeshBuffers(mesh, index);
  loadProgram(mesh);
  mesh.materialIndex = static_cast<std::int32_t>(source.mMaterialIndex);
  if (source.mMaterialIndex >= materials.size()) {
    logger->warn("Scene '{}': mesh {} names material {} of {}; drawn with the default material",
                 name, index, source.mMaterialIndex, materials.size());
  }
}

void Scene::copyGeometry(const aiMesh& source, std::uint32_t index, SceneMesh& mesh) {
  mesh.vertexCount = source.mNumVertices;
  mesh.faceCount = source.mNumFaces;
  mesh.vertices = conversion::vertices(source);
  conversion::Triangles triangles = conversion::triangles(source);
  if (triangles.pointsAndLines > 0) {
    logger->warn("Scene '{}': mesh {} '{}' has {} faces of points or lines; they are not drawn",
                 name, index, source.mName.C_Str(), triangles.pointsAndLines);
  }
  if (triangles.outOfRange > 0) {
    logger->warn("Scene '{}': mesh {} '{}' has {} faces naming vertices it does not have; "
                 "they are not drawn",
                 name, index, source.mName.C_Str(), triangles.outOfRange);
  }
  mesh.indices = std::move(triangles.indices);
  mesh.indexCount = static_cast<std::uint32_t>(mesh.indices.size());
  if (!source.HasNormals()) {
    conversion::computeNormals(mesh.vertices, mesh.indices);
  }
}

void Scene::loadProgram(SceneMesh& mesh) {
  const StepTimer timer;
  const double compiling = shaderBytecodeCache().compileTime().count();
  // Each mesh makes its own program objects; the cache compiles the file once per process.
  mesh.program.loadVertexShader(resources.postShaders["test"], "VertexMain");
  mesh.program.loadPixelShader(resources.shaders["test"], "PixelMain");
  const double compiled = shaderBytecodeCache().compileTime().count() - compiling;
  importTimes.compile += compiled;
  importTimes.programs += timer.seconds() - compiled;
}

void Scene::createMeshBuffers(SceneMesh& mesh, std::uint32_t meshIndex) {
  if (mesh.vertices.empty() || mesh.indices.empty()) {
    return;  // nothing to draw
  }
  constexpr std::size_t kLargest = std::numeric_limits<UINT>::max();
  if (mesh.vertices.size() > kLargest / sizeof(SceneVertex) ||
      mesh.indices.size() > kLargest / sizeof(std::uint32_t)) {
    logger->warn("Scene '{}': mesh {} is too large for one buffer; it is not drawn", name,
                 meshIndex);
    return;
  }
  const std::string what = fmt::format("mesh {} of scene '{}'", meshIndex, name);
  mesh.vertexBuffer =
      createBuffer(device, UINT(mesh.vertices.size() * sizeof(SceneVertex)), D3D11_USAGE_DEFAULT,
                   D3D11_BIND_VERTEX_BUFFER, mesh.vertices.data(), "the vertices of " + what);
  mesh.indexBuffer =
      createBuffer(device, UINT(mesh.indices.size() * sizeof(std::uint32_t)), D3D11_USAGE_DEFAULT,
                   D3D11_BIND_INDEX_BUFFER, mesh.indices.data(), "the indices of " + what);
}

std::vector<SceneMaterial> Scene::importMaterials(const aiScene& file) const {
  std::vector<SceneMaterial> imported;
  imported.reserve(file.mNumMaterials);
  for (unsigned i = 0; i < file.mNumMaterials; ++i) {
    imported.push_back(conversion::material(*file.mMaterials[i], i));
  }
  loadTextures(imported);
  return imported;
}

void Scene::loadTextures(std::vector<SceneMaterial>& imported) const {
  for (SceneMaterial& material : imported) {
    for (TextureSlot& slot : material.textures) {
      if (slot.path.empty()) {
        continue;
      }
      slot.texture = std::make_shared<Texture>();
      try {
        slot.texture->load(device, slot.path);
      } catch (const std::exception& error) {
        throw std::runtime_error(fmt::format("Scene '{}' ({}), material '{}': {}", name,
                                             toUtf8(sourcePath), material.name, error.what()));
      }
    }
  }
}

void Scene::importAnimations(const aiScene& file) {
  std::int32_t next = 0;
  for (unsigned a = 0; a < file.mNumAnimations; ++a) {
    const aiAnimation& animation = *file.mAnimations[a];
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
      AnimationChannel channel = conversion::channel(*animation.mChannels[c], next,
                                                     animation.mDuration);
      auto widen = [this](float time) {
        minKeyTime = std::min(minKeyTime, double(time));
        maxKeyTime = std::max(maxKeyTime, double(time));
      };
      for (const VectorKey& key : channel.positionKeys) widen(key.time);
      for (const QuaternionKey& key : channel.rotationKeys) widen(key.time);
      for (const VectorKey& key : channel.scalingKeys) widen(key.time);
      channels.emplace(next, std::move(channel));
      ++next;
    }
  }
}

void Scene::importNodes(const aiScene& file) {
  // The last channel, in index order, that names a node moves it.
  std::unordered_map<std::string_view, std::int32_t> lastChannel;
  for (const auto& [index, channel] : channels) {
    lastChannel[channel.nodeName] = index;
  }
  // Depth first, parent before children, children in file order; without recursion, so
  // that a deep file cannot exhaust the stack.
  struct Pending {
    const aiNode* node;
    std::int32_t parent;
  };
  std::vector<Pending> pending{{file.mRootNode, -1}};
  while (!pending.empty()) {
    const Pending next = pending.back();
    pending.pop_back();
    const aiNode& source = *next.node;
    SceneNode node;
    node.index = nodeCount++;
    node.name = source.mName.C_Str();
    node.parent = next.parent;
    node.local = conversion::rowVectorMatrix(
        next.parent < 0 ? conversion::rootPlacement(source.mTransformation) : source.mTransformation);
    if (const auto found = lastChannel.find(node.name); found != lastChannel.end()) {
      node.channel = found->second;
    }
    for (unsigned m = 0; m < source.mNumMeshes; ++m) {
      if (source.mMeshes[m] < meshes.size()) {
        node.meshIndices.push_back(source.mMeshes[m]);
      }
    }
    const std::int32_t index = node.index;
    nodes.emplace(index, std::move(node));
    for (unsigned c = source.mNumChildren; c-- > 0;) {
      if (source.mChildren[c] != nullptr) {
        pending.push_back({source.mChildren[c], index});
      }
    }
  }
}

void Scene::importCamera(const aiScene& file) {
  if (file.mNumCameras == 0) {
    logger->warn("Scene '{}' ({}) has no camera; drawn with a field of view of {} radians and "
                 "clip planes at {} and {}",
                 name, toUtf8(sourcePath), fieldOfView, nearPlane, farPlane);
    return;
  }
  const aiCamera& camera = *file.mCameras[0];
  if (usableFieldOfView(camera.mHorizontalFOV)) {
    fieldOfView = camera.mHorizontalFOV;
  } else {
    logger->warn("Scene '{}': camera '{}' has a field of view of {} radians; using {}", name,
                 camera.mName.C_Str(), camera.mHorizontalFOV, fieldOfView);
  }
  if (usableClipPlanes(camera.mClipPlaneNear, camera.mClipPlaneFar)) {
    nearPlane = camera.mClipPlaneNear;
    farPlane = camera.mClipPlaneFar;
  } else {
    logger->warn("Scene '{}': camera '{}' has clip planes at {} and {}; using {} and {}", name,
                 camera.mName.C_Str(), camera.mClipPlaneNear, camera.mClipPlaneFar, nearPlane,
                 farPlane);
  }
}

void Scene::placeLightsOnNodes() {
  std::unordered_map<std::string_view, const SceneNode*> firstNode;
  for (const auto& [index, node] : nodes) {
    firstNode.emplace(node.name, &node);
  }
  for (SceneLight& light : lights) {
    const auto found = firstNode.find(light.name);
    light.node = found == firstNode.end() ? nullptr : found->second;
  }
}

void Scene::createConstantBuffers() {
  transformBuffer = createBuffer(device, sizeof(TransformConstants), D3D11_USAGE_DEFAULT,
                                 D3D11_BIND_CONSTANT_BUFFER, nullptr,
                                 "the transform constants of scene '" + name + "'");
  lightBuffer = createBuffer(device, sizeof(LightConstants), D3D11_USAGE_DEFAULT,
                             D3D11_BIND_CONSTANT_BUFFER, nullptr,
                             "the light constants of scene '" + name + "'");
}

void Scene::draw(ID3D11DeviceContext* context, const std::string& camera, double time) {
  if (!transformBuffer || !lightBuffer) {
    return;  // never imported
  }
  const CameraView view = prepareFrame(camera, time, lightConstants);
  context->UpdateSubresource(lightBuffer.Get(), 0, nullptr, &lightConstants, 0, 0);
  ID3D11Buffer* const lightBuffers[] = {lightBuffer.Get()};
  context->VSSetConstantBuffers(1, 1, lightBuffers);
  context->PSSetConstantBuffers(1, 1, lightBuffers);
  for (const auto& [index, node] : nodes) {
    for (const std::uint32_t meshIndex : node.meshIndices) {
      drawMesh(context, meshes[meshIndex], meshMatrices[index], view);
    }
  }
}

void Scene::drawMesh(ID3D11DeviceContext* context, const SceneMesh& mesh, const Matrix& world,
                     const CameraView& view) {
  const Shader& program = mesh.program;
  // Without its buffers or programs (nothing to draw, or a logged failure) a mesh is left
  // out rather than drawn with whatever was bound before.
  if (!mesh.vertexBuffer || !mesh.indexBuffer || !program.vertexShader ||
      !program.pixelShader || !program.inputLayout) {
    return;
  }
  uploadTransform(context, mesh, world, view);
  drawTriangles(context, mesh);
}

void Scene::uploadTransform(ID3D11DeviceContext* context, const SceneMesh& mesh,
                            const Matrix& world, const CameraView& view) {
  const bool known =
      mesh.materialIndex >= 0 && std::size_t(mesh.materialIndex) < materials.size();
  const SceneMaterial& material = known ? materials[mesh.materialIndex] : defaultMaterial;
  transformConstants.world = world;
  transformConstants.worldViewProjection = world * view.viewProjection;
  transformConstants.diffuse = material.diffuse;
  transformConstants.ambient = material.ambient;
  transformConstants.specular = material.specular;
  transformConstants.emissive = material.emissive;
  transformConstants.shininess = material.shininess;
  transformConstants.cameraPosition = view.cameraPosition;
  context->UpdateSubresource(transformBuffer.Get(), 0, nullptr, &transformConstants, 0, 0);
  ID3D11Buffer* const transformBuffers[] = {transformBuffer.Get()};
  context->VSSetConstantBuffers(0, 1, transformBuffers);
  context->PSSetConstantBuffers(0, 1, transformBuffers);
}

void Scene::drawTriangles(ID3D11DeviceContext* context, const SceneMesh& mesh) {
  const Shader& program = mesh.program;
  ID3D11Buffer* const vertexBuffers[] = {mesh.vertexBuffer.Get()};
  const UINT stride = sizeof(SceneVertex);
  const UINT offset = 0;
  context->IASetVertexBuffers(0, 1, vertexBuffers, &stride, &offset);
  context->IASetIndexBuffer(mesh.indexBuffer.Get(), DXGI_FORMAT_R32_UINT, 0);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  context->VSSetShader(program.vertexShader.Get(), nullptr, 0);
  context->PSSetShader(program.pixelShader.Get(), nullptr, 0);
  context->GSSetShader(program.geometryShader.Get(), nullptr, 0);
  context->HSSetShader(program.hullShader.Get(), nullptr, 0);
  context->DSSetShader(program.domainShader.Get(), nullptr, 0);
  context->IASetInputLayout(program.inputLayout.Get());
  context->DrawIndexed(mesh.indexCount, 0, 0);
}

}  // namespace ostrel
