// One GPU program per pipeline stage, compiled at run time from an HLSL file, with the
// vertex stage's input layout taken from the compiled program itself.
//
// A copy shares the GPU objects (the passes and meshes assign a freshly made Shader into
// their member). A failed compilation leaves the stage as it was: the compiler's messages go
// to the debugger output and to the "demo" log at critical, and the caller draws without
// that program.
#pragma once

#include "render/IEventHandler.h"

#include <d3d11.h>
#include <wrl/client.h>

#include <string>

namespace ostrel {

class Shader : public IEventHandler {
public:
  template <class T>
  using ComPtr = Microsoft::WRL::ComPtr<T>;

  // The device may be given later by assignment; nothing can be loaded before.
  explicit Shader(ID3D11Device* device = nullptr);

  // Compiles entry of the file at path as a vertex program ("vs_5_0", or "vs_4_0" below
  // feature level 11_0) and builds its input layout from its input signature.
  void loadVertexShader(const std::wstring& path, const std::string& entry);
  // Compiles entry of the file at path as a pixel program ("ps_5_0" or "ps_4_0").
  void loadPixelShader(const std::wstring& path, const std::string& entry);

  // Reports on both standard outputs which of its programs a change of sourcePath concerns
  // (kind ReloadEvent::kFileChanged only); the programs in use stay as they are.
  void handleEvent(const ReloadEvent& event) override;

  ComPtr<ID3D11VertexShader> vertexShader;
  ComPtr<ID3D11PixelShader> pixelShader;
  ComPtr<ID3D11DomainShader> domainShader;      // no stage of this production uses it
  ComPtr<ID3D11HullShader> hullShader;          // nor this
  ComPtr<ID3D11GeometryShader> geometryShader;  // nor this
  ComPtr<ID3D11ComputeShader> computeShader;    // nor this
  // Entry-point names in stage order; empty for a stage without a program.
  std::string vertexMain, pixelMain, domainMain, hullMain, geometryMain, computeMain;
  // The code of the most recent successful compilation.
  ComPtr<ID3DBlob> bytecode;
  ID3D11Device* device = nullptr;  // not owned
  ComPtr<ID3D11InputLayout> inputLayout;
  // The file most recently compiled, vertex or pixel.
  std::wstring sourcePath;

private:
  // Compiles into bytecode; false (bytecode unchanged) on failure.
  bool compile(const std::wstring& path, const std::string& entry, const char* stage);
  void createInputLayout();
};

}  // namespace ostrel
