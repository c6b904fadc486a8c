// Failures of window and Direct3D creation.
#include "app/GraphicsError.h"

#include "app/FatalError.h"

#include <cstdio>

namespace ostrel {
namespace {

std::string describe(const std::string& call, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return call + " failed (" + code + ")";
}

}  // namespace

GraphicsError::GraphicsError(const std::string& call, HRESULT result, UINT exitCode)
    : std::runtime_error(describe(call, result)), result_(result), exitCode_(exitCode) {}

void checkGraphics(HRESULT result, const std::string& call, bool resultIsExitCode) {
  if (FAILED(result)) {
    throw GraphicsError(call, result, resultIsExitCode ? UINT(result) : UINT(kFatalErrorExitCode));
  }
}

}  // namespace ostrel
