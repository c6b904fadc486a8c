// The one logger of the production. Every component reaches it by name through the logging
// registry and keeps a shared reference; its level decides what reaches "demo.log".
#pragma once

#include <spdlog/spdlog.h>

#include <memory>

namespace ostrel {

inline constexpr const char* kDemoLoggerName = "demo";

// The registered "demo" logger. Where nothing registered it (a tool or a test that does not
// log), a logger without sinks stands in, so that no component has to check for null.
std::shared_ptr<spdlog::logger> demoLogger();

}  // namespace ostrel
