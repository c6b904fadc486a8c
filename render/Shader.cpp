// Run-time compilation of HLSL files and the reload report.
#include "render/Shader.h"

#include "registry/DemoLogger.h"
#include "registry/TextConversion.h"
#include "render/CreationCheck.h"
#include "render/InputElements.h"
#include "render/ShaderBytecodeCache.h"

#include <d3dcompiler.h>

#include <iostream>
#include <vector>

namespace ostrel {
namespace {

// "vs_5_0" from "vs" at feature level 11_0 and above, "vs_4_0" below.
std::string profile(ID3D11Device* device, const char* stage) {
  const bool shaderModel5 = device->GetFeatureLevel() >= D3D_FEATURE_LEVEL_11_0;
  return std::string(stage) + (shaderModel5 ? "_5_0" : "_4_0");
}

std::string blobText(ID3DBlob* blob) {
  std::string text(static_cast<const char*>(blob->GetBufferPointer()), blob->GetBufferSize());
  while (!text.empty() && (text.back() == '\0' || text.back() == '\n')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

Shader::Shader(ID3D11Device* device) : device(device) {}

bool Shader::compile(const std::wstring& path, const std::string& entry, const char* stage) {
  if (!device) {
    demoLogger()->critical("Shader {} ({}): no device to compile for", toUtf8(path), entry);
    return false;
  }
  const std::string target = profile(device, stage);
  // Meshes and passes share one compilation per file, entry point and profile.
  const CompiledShader compiled = shaderBytecodeCache().compile(path, entry, target);
  const ComPtr<ID3DBlob> code = compiled.code;
  const ComPtr<ID3DBlob> messages = compiled.messages;
  const HRESULT result = compiled.result;
  const std::string text = messages ? blobText(messages.Get()) : std::string();
  if (messages) {
    OutputDebugStringA(static_cast<const char*>(messages->GetBufferPointer()));
  }
  if (FAILED(result)) {
    // The picture goes black or wrong without this program, so say why where it is seen.
    demoLogger()->critical("Shader {} ({}, {}) failed to compile (0x{:08X}): {}", toUtf8(path),
                           entry, target, unsigned(result), text.empty() ? "no message" : text);
    return false;
  }
  if (!text.empty()) {
    demoLogger()->warn("Shader {} ({}, {}): {}", toUtf8(path), entry, target, text);
  }
  bytecode = code;
  return true;
}

void Shader::loadVertexShader(const std::wstring& path, const std::string& entry) {
  sourcePath = path;
  vertexMain = entry;
  if (!compile(path, entry, "vs")) {
    return;
  }
  createInputLayout();
  logCreation(device->CreateVertexShader(bytecode->GetBufferPointer(), bytecode->GetBufferSize(),
                                         nullptr, &vertexShader),
              "CreateVertexShader for " + toUtf8(path));
}

void Shader::loadPixelShader(const std::wstring& path, const std::string& entry) {
  sourcePath = path;
  pixelMain = entry;
  if (!compile(path, entry, "ps")) {
    return;
  }
  logCreation(device->CreatePixelShader(bytecode->GetBufferPointer(), bytecode->GetBufferSize(),
                                        nullptr, &pixelShader),
              "CreatePixelShader for " + toUtf8(path));
}

void Shader::createInputLayout() {
  const std::vector<InputElement> elements = reflectInputElements(bytecode.Get());
  std::vector<D3D11_INPUT_ELEMENT_DESC> descriptions;
  for (const InputElement& element : elements) {
    descriptions.push_back({element.semanticName.c_str(), element.semanticIndex, element.format,
                            0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0});
  }
  logCreation(device->CreateInputLayout(descriptions.data(), UINT(descriptions.size()),
                                        bytecode->GetBufferPointer(), bytecode->GetBufferSize(),
                                        &inputLayout),
              "CreateInputLayout for " + toUtf8(sourcePath));
}

void Shader::handleEvent(const ReloadEvent& event) {
  if (event.kind != ReloadEvent::kFileChanged || event.path != sourcePath) {
    return;
  }
  std::wcout << L"Attempting to reload shader: " << sourcePath << L"\n";
  std::wcout.clear();  // a path the console cannot show must not silence later reports
  const struct {
    const char* stage;
    const std::string& entry;
  } stages[] = {{"vertex", vertexMain}, {"pixel", pixelMain},       {"domain", domainMain},
                {"hull", hullMain},     {"geometry", geometryMain}, {"compute", computeMain}};
  for (const auto& [stage, entry] : stages) {
    if (!entry.empty()) {
      std::cout << "It has a " << stage << " shader with main method: " << entry << "\n";
    }
  }
}

}  // namespace ostrel
