// One imported Collada scene: its meshes on the GPU with their own programs, materials,
// lights, node hierarchy and animation channels (the portable half, SceneAnimation), and the
// drawing of a frame through one of its cameras at an animation time.
//
// A file that cannot be read is an error naming the scene key, the path and assimp's
// reason; a file without a camera, faces that are points or lines, and cameras without a
// channel are drawn with stated defaults and a warning instead.
#pragma once

#include "registry/Resources.h"
#include "render/IEventHandler.h"
#include "render/LightConstants.h"
#include "render/SceneAnimation.h"
#include "render/SceneMaterial.h"
#include "render/SceneMesh.h"
#include "render/TransformConstants.h"

#include <spdlog/logger.h>

#include <d3d11.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct aiMesh;
struct aiScene;

namespace ostrel {

class Scene : public IEventHandler, public SceneAnimation {
public:
  // name: the scene key, which names the scene in log lines and errors.
  Scene(ID3D11Device* device, std::string name);
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Imports the file at path, replacing everything an earlier import built. Throws
  // std::runtime_error when assimp cannot read the file; the scene is then left as it was.
  void load(const std::wstring& path);

  // Imports sourcePath again on a change of that file (kind ReloadEvent::kFileChanged). A
  // file that cannot be read then is reported at critical; the scene keeps what it had.
  void handleEvent(const ReloadEvent& event) override;

  // Draws the frame at time (in the file's ticks) through the named camera into whatever
  // targets, viewport and states are bound: one indexed draw per mesh reference, in node
  // order. Binds both constant buffers to slots 0 and 1 of the vertex and pixel stages.
  void draw(ID3D11DeviceContext* context, const std::string& camera, double time);

  // Where the last load spent its time, in seconds: assimp's reading of the file, the copies
  // and GPU buffers, compiling the scene program (only the first scene of a process does),
  // and making each mesh's program objects from the compiled code.
  struct ImportTimes {
    double read = 0;
    double copies = 0;
    double compile = 0;
    double programs = 0;
  };
  ImportTimes importTimes;

  ID3D11Device* device = nullptr;  // not owned
  std::shared_ptr<spdlog::logger> logger;
  std::wstring sourcePath;
  std::vector<SceneMesh> meshes;
  std::vector<SceneMaterial> materials;
  std::int32_t nodeCount = 0;
  TransformConstants transformConstants;
  LightConstants lightConstants{};
  Microsoft::WRL::ComPtr<ID3D11Buffer> transformBuffer;  // 208 bytes, slot 0
  Microsoft::WRL::ComPtr<ID3D11Buffer> lightBuffer;      // 400 bytes, slot 1
  Resources resources;

private:
  void importLights(const aiScene& file);
  void importMeshes(const aiScene& file);
  void importMesh(const aiMesh& source, std::uint32_t index);
  // Counts, vertices and triangles of the file's mesh, with normals where it has none.
  void copyGeometry(const aiMesh& source, std::uint32_t index, SceneMesh& mesh);
  void createMeshBuffers(SceneMesh& mesh, std::uint32_t meshIndex);
  // The file's materials with their textures loaded; throws when a texture cannot be.
  std::vector<SceneMaterial> importMaterials(const aiScene& file) const;
  void loadTextures(std::vector<SceneMaterial>& imported) const;
  void importAnimations(const aiScene& file);
  void importNodes(const aiScene& file);
  void importCamera(const aiScene& file);
  void placeLightsOnNodes();
  void createConstantBuffers();
  void drawMesh(ID3D11DeviceContext* context, const SceneMesh& mesh, const Matrix& world,
                const CameraView& view);
  // The mesh's transform constants (slot 0 of both stages), then its one indexed draw.
  void uploadTransform(ID3D11DeviceContext* context, const SceneMesh& mesh, const Matrix& world,
                       const CameraView& view);
  static void drawTriangles(ID3D11DeviceContext* context, const SceneMesh& mesh);

  void loadProgram(SceneMesh& mesh);

  // Materials a mesh names but the file lacks are drawn with the defaults.
  SceneMaterial defaultMaterial;
};

}  // namespace ostrel
