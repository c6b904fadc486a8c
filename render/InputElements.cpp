// Input elements from the reflected input signature of a vertex program.
#include "render/InputElements.h"

#include "registry/DemoLogger.h"

#include <d3d11shader.h>
#include <d3dcompiler.h>
#include <wrl/client.h>

namespace ostrel {
namespace {

// Columns: UINT32, SINT32, FLOAT32; rows: one to four components.
constexpr DXGI_FORMAT kFormats[4][3] = {
    {DXGI_FORMAT_R32_UINT, DXGI_FORMAT_R32_SINT, DXGI_FORMAT_R32_FLOAT},
    {DXGI_FORMAT_R32G32_UINT, DXGI_FORMAT_R32G32_SINT, DXGI_FORMAT_R32G32_FLOAT},
    {DXGI_FORMAT_R32G32B32_UINT, DXGI_FORMAT_R32G32B32_SINT, DXGI_FORMAT_R32G32B32_FLOAT},
    {DXGI_FORMAT_R32G32B32A32_UINT, DXGI_FORMAT_R32G32B32A32_SINT,
     DXGI_FORMAT_R32G32B32A32_FLOAT},
};

int componentCount(BYTE mask) {
  if (mask >= 8) return 4;
  if (mask >= 4) return 3;
  if (mask >= 2) return 2;
  return 1;
}

int typeColumn(D3D_REGISTER_COMPONENT_TYPE componentType) {
  switch (componentType) {
    case D3D_REGISTER_COMPONENT_UINT32: return 0;
    case D3D_REGISTER_COMPONENT_SINT32: return 1;
    case D3D_REGISTER_COMPONENT_FLOAT32: return 2;
    default: return -1;
  }
}

}  // namespace

DXGI_FORMAT inputElementFormat(BYTE mask, D3D_REGISTER_COMPONENT_TYPE componentType) {
  const int column = typeColumn(componentType);
  return column < 0 ? DXGI_FORMAT_UNKNOWN : kFormats[componentCount(mask) - 1][column];
}

std::vector<InputElement> reflectInputElements(ID3DBlob* bytecode) {
  Microsoft::WRL::ComPtr<ID3D11ShaderReflection> reflection;
  // MinGW's header declares no __uuidof for the reflection interface: name its IID.
  const HRESULT result =
      D3DReflect(bytecode->GetBufferPointer(), bytecode->GetBufferSize(),
                 IID_ID3D11ShaderReflection, reinterpret_cast<void**>(reflection.GetAddressOf()));
  if (FAILED(result)) {
    demoLogger()->critical("D3DReflect failed (0x{:08X})", unsigned(result));
    return {};
  }
  D3D11_SHADER_DESC shader{};
  reflection->GetDesc(&shader);

  std::vector<InputElement> elements;
  for (UINT i = 0; i < shader.InputParameters; ++i) {
    D3D11_SIGNATURE_PARAMETER_DESC parameter{};
    reflection->GetInputParameterDesc(i, &parameter);
    const DXGI_FORMAT format = inputElementFormat(parameter.Mask, parameter.ComponentType);
    if (format == DXGI_FORMAT_UNKNOWN) {
      demoLogger()->warn("Vertex input {}{} has no vertex format (component type {})",
                            parameter.SemanticName, parameter.SemanticIndex,
                            int(parameter.ComponentType));
    }
    elements.push_back({parameter.SemanticName, parameter.SemanticIndex, format});
  }
  return elements;
}

}  // namespace ostrel
