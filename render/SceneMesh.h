// One mesh of a scene: its triangles on the GPU, a CPU copy of them, and its own programs.
#pragma once

#include "render/SceneVertex.h"
#include "render/Shader.h"

#include <d3d11.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

namespace ostrel {

struct SceneMesh {
  explicit SceneMesh(ID3D11Device* device) : program(device) {}

  Shader program;  // "VertexMain" and "PixelMain" of the scene program
  Microsoft::WRL::ComPtr<ID3D11Buffer> vertexBuffer;  // SceneVertex array; none when empty
  Microsoft::WRL::ComPtr<ID3D11Buffer> indexBuffer;   // 32-bit indices; none when empty
  std::uint32_t vertexCount = 0;
  std::uint32_t faceCount = 0;   // as the file has them, points and lines included
  std::uint32_t indexCount = 0;  // 3 per drawn triangle
  std::int32_t materialIndex = 0x7FFFFFFF;  // until the import sets it
  std::vector<SceneVertex> vertices;
  std::vector<std::uint32_t> indices;
};

}  // namespace ostrel
