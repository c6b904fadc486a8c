// The platform's HLSL compiler takes ordinary Shader Model 5 HLSL (functions, loops over a
// light list, the ternary operator, the usual intrinsics) for every profile the programs use,
// and refuses a broken program with a message that names the file and the line.
#include <windows.h>

#include <d3dcompiler.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

using Microsoft::WRL::ComPtr;

const std::wstring kHlslFolder = L"" OSTREL_TEST_DATA L"/hlsl/";

struct Compilation {
  HRESULT result = E_FAIL;
  std::string messages;
};

Compilation compile(const std::wstring& file, const char* entry, const char* profile) {
  ComPtr<ID3DBlob> code;
  ComPtr<ID3DBlob> errors;
  Compilation compilation;
  compilation.result = D3DCompileFromFile((kHlslFolder + file).c_str(), nullptr,
                                          D3D_COMPILE_STANDARD_FILE_INCLUDE, entry, profile, 0,
                                          0, &code, &errors);
  if (errors) {
    compilation.messages.assign(static_cast<const char*>(errors->GetBufferPointer()),
                                errors->GetBufferSize());
  }
  return compilation;
}

TEST(HlslCompiler, TakesOrdinaryShaderModelFiveHlslForEveryProfile) {
  const struct {
    const char* entry;
    const char* profile;
  } stages[] = {{"p", "ps_5_0"}, {"p", "ps_4_0"}, {"v", "vs_5_0"}, {"v", "vs_4_0"}};
  for (const auto& stage : stages) {
    const Compilation compilation = compile(L"ordinary.hlsl", stage.entry, stage.profile);
    EXPECT_HRESULT_SUCCEEDED(compilation.result) << stage.profile << ":\n"
                                                 << compilation.messages;
  }
}

TEST(HlslCompiler, RefusesABrokenProgramNamingFileAndLine) {
  const Compilation compilation = compile(L"broken.hlsl", "p", "ps_5_0");
  EXPECT_TRUE(FAILED(compilation.result));
  EXPECT_NE(compilation.messages.find("broken.hlsl"), std::string::npos) << compilation.messages;
  EXPECT_NE(compilation.messages.find("undefinedColour"), std::string::npos)
      << compilation.messages;
  // Microsoft's compiler writes "file(3,10): error", Wine's "file:3:10: error".
  const bool namesLine = compilation.messages.find("(3,") != std::string::npos ||
                         compilation.messages.find(":3:") != std::string::npos;
  EXPECT_TRUE(namesLine) << compilation.messages;
}

}  // namespace
}  // namespace ostrel
