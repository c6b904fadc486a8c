// Failures of window and Direct3D creation.
#include "render/GraphicsError.h"

#include <cstdio>

namespace ostrel {
namespace {

std::string describe(const std::string& call, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return call + " failed (" + code + ")";
}

}  // namespace

GraphicsError::GraphicsError(const std::string& call, HRESULT result, bool resultIsExitCode)
    : std::runtime_error(describe(call, result)),
      result_(result),
      resultIsExitCode_(resultIsExitCode) {}

void checkGraphics(HRESULT result, const std::string& call, bool resultIsExitCode) {
  if (FAILED(result)) {
    throw GraphicsError(call, result, resultIsExitCode);
  }
}

}  // namespace ostrel
