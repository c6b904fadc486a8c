// Logging of failed creations.
#include "render/CreationCheck.h"

#include "registry/DemoLogger.h"

namespace ostrel {

bool logCreation(HRESULT result, const std::string& call) {
  if (FAILED(result)) {
    demoLogger()->critical("{} failed (0x{:08X})", call, unsigned(result));
    return false;
  }
  return true;
}

}  // namespace ostrel
