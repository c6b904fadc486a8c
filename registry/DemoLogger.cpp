// The "demo" logger as the registry holds it.
#include "registry/DemoLogger.h"

namespace ostrel {

std::shared_ptr<spdlog::logger> demoLogger() {
  if (auto logger = spdlog::get(kDemoLoggerName)) {
    return logger;
  }
  auto silent = std::make_shared<spdlog::logger>(kDemoLoggerName);
  silent->set_level(spdlog::level::off);
  return silent;
}

}  // namespace ostrel
