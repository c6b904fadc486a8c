// Logging of a call's first failure.
#include "render/RepeatedCallCheck.h"

#include "registry/DemoLogger.h"

namespace ostrel {

bool RepeatedCallCheck::succeeded(HRESULT result) {
  if (SUCCEEDED(result)) {
    return true;
  }
  if (!failedBefore) {
    failedBefore = true;
    demoLogger()->critical("{} failed (0x{:08X})", call, unsigned(result));
  }
  return false;
}

}  // namespace ostrel
