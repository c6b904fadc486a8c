// The Windows build's output: the Windows audio session API.
#include "bass/windows/WasapiOutputDriver.h"

namespace ostrel::bass {

std::shared_ptr<OutputDriver> makeSystemOutputDriver() {
  return std::make_shared<WasapiOutputDriver>();
}

}  // namespace ostrel::bass
