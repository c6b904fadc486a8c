// Shader programs: every program of the registry compiles with both profiles, vertex input
// layouts come from the compiled program, reload events are reported, handlers keep the
// process-wide list, and a failed compilation says why.
#include "render/EventHandlerList.h"
#include "render/InputElements.h"
#include "render/Shader.h"
#include "registry/Resources.h"
#include "tests/core/LogCapture.h"
#include "tests/windows/RenderTesting.h"

#include <d3d11shader.h>
#include <d3dcompiler.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace ostrel {
namespace {

using testing::ComPtr;
using testing::testDevice;

struct Compilation {
  HRESULT result = E_FAIL;
  std::string messages;
};

Compilation compile(const std::wstring& path, const char* entry, const char* profile) {
  ComPtr<ID3DBlob> code;
  ComPtr<ID3DBlob> errors;
  Compilation compilation;
  compilation.result = D3DCompileFromFile(path.c_str(), nullptr, D3D_COMPILE_STANDARD_FILE_INCLUDE,
                                          entry, profile, 0, 0, &code, &errors);
  if (errors) {
    compilation.messages.assign(static_cast<const char*>(errors->GetBufferPointer()),
                                errors->GetBufferSize());
  }
  return compilation;
}

// Every program at its registry path, with its entry and stage, in both profiles of the
// feature levels the production runs on, without a warning.
TEST(Shader, EveryProgramOfTheRegistryCompilesWithBothProfiles) {
  testing::ScopedWorkingDirectory root(testing::sourceFolder());
  Resources resources;
  struct Program {
    Resources::Path path;
    const char* entry;
    const char* stage;
  };
  std::vector<Program> programs = {{resources.shaders["quad"], "QuadVS", "vs"}};
  for (const auto& [key, path] : resources.postShaders) {
    if (key.rfind("post_", 0) == 0) {
      programs.push_back({path, "p", "ps"});
    }
  }
  // The scenes' mesh program, where the scene import has put it.
  if (std::filesystem::exists(resources.shaders["test"])) {
    programs.push_back({resources.shaders["test"], "VertexMain", "vs"});
    programs.push_back({resources.shaders["test"], "PixelMain", "ps"});
  }
  ASSERT_GE(programs.size(), 16u);
  for (const Program& program : programs) {
    for (const char* model : {"_4_0", "_5_0"}) {
      const std::string profile = std::string(program.stage) + model;
      const Compilation compilation = compile(program.path, program.entry, profile.c_str());
      const std::string name = std::filesystem::path(program.path).string() + " " + profile;
      EXPECT_HRESULT_SUCCEEDED(compilation.result) << name << ":\n" << compilation.messages;
      EXPECT_EQ(compilation.messages, "") << name;  // not even a warning
    }
  }
}

// Shader model 5 from feature level 11_0 up, 4 below.
TEST(Shader, ProfileFollowsTheDeviceFeatureLevel) {
  testing::ScopedWorkingDirectory root(testing::sourceFolder());
  const std::wstring path = Resources().postShaders["post_overlay_p0"];
  for (const D3D_FEATURE_LEVEL level : {D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_11_0}) {
    ComPtr<ID3D11Device> device;
    ASSERT_HRESULT_SUCCEEDED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0,
                                               &level, 1, D3D11_SDK_VERSION, &device, nullptr,
                                               nullptr));
    Shader shader(device.Get());
    shader.loadPixelShader(path, "p");
    ASSERT_NE(shader.pixelShader, nullptr);
    ComPtr<ID3D11ShaderReflection> reflection;
    ASSERT_HRESULT_SUCCEEDED(D3DReflect(shader.bytecode->GetBufferPointer(),
                                        shader.bytecode->GetBufferSize(),
                                        IID_ID3D11ShaderReflection,
                                        reinterpret_cast<void**>(reflection.GetAddressOf())));
    D3D11_SHADER_DESC description{};
    reflection->GetDesc(&description);
    // Version: program type in the high word (0 for pixel), major in bits 4 to 7.
    EXPECT_EQ(description.Version >> 16, 0u);
    EXPECT_EQ((description.Version >> 4) & 0xF, level >= D3D_FEATURE_LEVEL_11_0 ? 5u : 4u)
        << "feature level 0x" << std::hex << level;
  }
}

TEST(Shader, QuadLayoutIsAFloat4PositionAndAFloat2TextureCoordinate) {
  testing::ScopedWorkingDirectory root(testing::sourceFolder());
  Shader quad(testDevice().device);
  quad.loadVertexShader(Resources().shaders["quad"], "QuadVS");
  ASSERT_NE(quad.vertexShader, nullptr);
  EXPECT_NE(quad.inputLayout, nullptr);
  const std::vector<InputElement> elements = reflectInputElements(quad.bytecode.Get());
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].semanticName, "POSITION");
  EXPECT_EQ(elements[0].format, DXGI_FORMAT_R32G32B32A32_FLOAT);
  EXPECT_EQ(elements[1].semanticName, "TEXCOORD");
  EXPECT_EQ(elements[1].semanticIndex, 0u);
  EXPECT_EQ(elements[1].format, DXGI_FORMAT_R32G32_FLOAT);
}

TEST(Shader, MeshInputsGetFormatsByTheirWidthAndComponentType) {
  Shader mesh(testDevice().device);
  mesh.loadVertexShader(testing::testDataPath(L"shaders/vertex_inputs.hlsl"), "VertexMain");
  ASSERT_NE(mesh.vertexShader, nullptr);
  EXPECT_NE(mesh.inputLayout, nullptr);  // the device accepts the layout for the program
  const std::vector<InputElement> elements = reflectInputElements(mesh.bytecode.Get());
  const struct {
    const char* name;
    UINT index;
    DXGI_FORMAT format;
  } expected[] = {{"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT},
                  {"NORMAL", 0, DXGI_FORMAT_R32G32B32_FLOAT},
                  {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT},
                  {"BLENDINDICES", 0, DXGI_FORMAT_R32_SINT},
                  {"TEXCOORD", 1, DXGI_FORMAT_R32G32_UINT}};
  ASSERT_EQ(elements.size(), std::size(expected));
  for (std::size_t i = 0; i < elements.size(); ++i) {
    EXPECT_EQ(elements[i].semanticName, expected[i].name) << i;
    EXPECT_EQ(elements[i].semanticIndex, expected[i].index) << i;
    EXPECT_EQ(elements[i].format, expected[i].format) << expected[i].name;
  }
  // The highest used component decides the width: only z used still means three.
  EXPECT_EQ(inputElementFormat(4, D3D_REGISTER_COMPONENT_FLOAT32), DXGI_FORMAT_R32G32B32_FLOAT);
  EXPECT_EQ(inputElementFormat(8, D3D_REGISTER_COMPONENT_UINT32), DXGI_FORMAT_R32G32B32A32_UINT);
}

// Captures both standard outputs while it lives.
class StandardOutputCapture {
public:
  StandardOutputCapture()
      : narrow_(std::cout.rdbuf(narrowText.rdbuf())), wide_(std::wcout.rdbuf(wideText.rdbuf())) {}
  ~StandardOutputCapture() {
    std::cout.rdbuf(narrow_);
    std::wcout.rdbuf(wide_);
  }
  std::ostringstream narrowText;
  std::wostringstream wideText;

private:
  std::streambuf* narrow_;
  std::wstreambuf* wide_;
};

TEST(Shader, ReloadEventOfItsFileReportsItsStagesInOrder) {
  testing::ScopedWorkingDirectory root(testing::sourceFolder());
  Resources resources;
  Shader shader(testDevice().device);
  shader.loadVertexShader(resources.shaders["quad"], "QuadVS");
  shader.loadPixelShader(resources.postShaders["post_overlay_p0"], "p");
  const std::wstring path = resources.postShaders["post_overlay_p0"];
  ASSERT_EQ(shader.sourcePath, path);  // the file compiled last

  std::wstring upperCase = path;
  upperCase[0] = L'R';
  {
    StandardOutputCapture output;
    eventHandlers().dispatch({ReloadEvent::kFileChanged, upperCase});  // case matters
    eventHandlers().dispatch({ReloadEvent::kFileChanged - 1, path});  // another kind
    EXPECT_EQ(output.wideText.str(), L"");
    EXPECT_EQ(output.narrowText.str(), "");
  }
  StandardOutputCapture output;
  shader.handleEvent({ReloadEvent::kFileChanged, path});
  EXPECT_EQ(output.wideText.str(), L"Attempting to reload shader: " + path + L"\n");
  EXPECT_EQ(output.narrowText.str(),
            "It has a vertex shader with main method: QuadVS\n"
            "It has a pixel shader with main method: p\n");
}

std::vector<IEventHandler*> handlers() {
  std::vector<IEventHandler*> list;
  for (IEventHandler* handler = eventHandlers().head(); handler; handler = handler->next) {
    list.push_back(handler);
  }
  return list;
}

TEST(Shader, HandlersJoinTheListNewestFirstAndLeaveItWhenDestroyed) {
  const std::vector<IEventHandler*> before = handlers();
  {
    Shader first;
    Shader second;
    EXPECT_EQ(handlers().size(), before.size() + 2);
    EXPECT_EQ(eventHandlers().head(), &second);
    {
      Shader copy(second);  // a copy is not linked in
      EXPECT_EQ(handlers().size(), before.size() + 2);
    }
    first = Shader();  // the temporary comes and goes; first keeps its place
    std::vector<IEventHandler*> expected = {&second, &first};
    expected.insert(expected.end(), before.begin(), before.end());
    EXPECT_EQ(handlers(), expected);
    EXPECT_EQ(second.next, &first);
  }
  EXPECT_EQ(handlers(), before);
}

TEST(Shader, FailedCompilationKeepsTheStageAndLogsTheFileAndMessageAtCritical) {
  testing::LogCapture log;
  Shader shader(testDevice().device);
  const std::wstring broken = testing::testDataPath(L"shaders/broken.hlsl");
  shader.loadPixelShader(broken, "p");
  EXPECT_EQ(shader.pixelShader, nullptr);
  EXPECT_EQ(shader.bytecode, nullptr);
  EXPECT_EQ(shader.pixelMain, "p");
  EXPECT_EQ(shader.sourcePath, broken);
  const std::vector<std::string> lines = log.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("critical ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("broken.hlsl"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("undefinedColour"), std::string::npos) << lines[0];

  log.clear();
  shader.loadPixelShader(L"resources\\shaders\\missing.hlsl", "p");
  ASSERT_FALSE(log.lines().empty());
  EXPECT_NE(log.lines()[0].find("missing.hlsl"), std::string::npos) << log.lines()[0];
}

}  // namespace
}  // namespace ostrel
