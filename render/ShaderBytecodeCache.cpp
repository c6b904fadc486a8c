// One compilation per distinct file, entry point and profile.
#include "render/ShaderBytecodeCache.h"

#include <d3dcompiler.h>

namespace ostrel {
namespace {

// Zero when the file cannot be read: a missing file is then compiled (and fails) again
// once it appears.
FILETIME lastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
    return {};
  }
  return attributes.ftLastWriteTime;
}

bool sameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

CompiledShader ShaderBytecodeCache::compile(const std::wstring& path, const std::string& entry,
                                            const std::string& profile) {
  const FILETIME written = lastWriteTime(path);
  Key key{path, entry, profile};
  const auto found = entries.find(key);
  if (found != entries.end() && sameTime(found->second.lastWrite, written)) {
    ++reuseCount;
    return found->second.compiled;
  }
  CompiledShader compiled;
  const auto start = std::chrono::steady_clock::now();
  compiled.result =
      D3DCompileFromFile(path.c_str(), nullptr, D3D_COMPILE_STANDARD_FILE_INCLUDE, entry.c_str(),
                         profile.c_str(), 0, 0, &compiled.code, &compiled.messages);
  timeCompiling += std::chrono::steady_clock::now() - start;
  ++compilationCount;
  entries.insert_or_assign(std::move(key), Entry{written, compiled});
  return compiled;
}

ShaderBytecodeCache& shaderBytecodeCache() {
  static ShaderBytecodeCache cache;
  return cache;
}

}  // namespace ostrel
