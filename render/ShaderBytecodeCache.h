// Compiles each distinct (HLSL file, entry point, profile) once per process and keeps the
// result, so that the hundreds of meshes of a scene, which each make their own programs from
// the same file, pay for one compilation instead of one each. A file whose last-write time
// has changed since is compiled again (a reload sees the new source); files it includes are
// not watched.
#pragma once

#include <d3dcommon.h>
#include <windows.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

namespace ostrel {

// The outcome of one compilation, shared by every later request for it.
struct CompiledShader {
  HRESULT result = E_FAIL;
  Microsoft::WRL::ComPtr<ID3DBlob> code;      // null when result is a failure
  Microsoft::WRL::ComPtr<ID3DBlob> messages;  // errors and warnings, or null
};

class ShaderBytecodeCache {
public:
  // D3DCompileFromFile(path, no macros, the standard include handler, entry, profile,
  // flags 0, 0) on the first request; the kept outcome, failures included, after it.
  CompiledShader compile(const std::wstring& path, const std::string& entry,
                         const std::string& profile);

  // For benchmarks: compilations run, requests answered from the cache, and the time spent
  // compiling.
  std::uint32_t compilations() const { return compilationCount; }
  std::uint32_t reuses() const { return reuseCount; }
  std::chrono::duration<double> compileTime() const { return timeCompiling; }

private:
  using Key = std::tuple<std::wstring, std::string, std::string>;
  struct Entry {
    FILETIME lastWrite{};
    CompiledShader compiled;
  };

  std::map<Key, Entry> entries;
  std::uint32_t compilationCount = 0;
  std::uint32_t reuseCount = 0;
  std::chrono::duration<double> timeCompiling{0};
};

// The process-wide cache, created empty on first use. Main thread only: it is not locked.
ShaderBytecodeCache& shaderBytecodeCache();

}  // namespace ostrel
