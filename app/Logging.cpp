// The "demo" logger and assimp's default logger.
#include "app/Logging.h"

#include "registry/DemoLogger.h"

#include <assimp/DefaultLogger.hpp>
#include <spdlog/sinks/basic_file_sink.h>

#include <filesystem>
#include <system_error>

namespace ostrel {

namespace {
constexpr const char* kLogFileName = "demo.log";
}

void setupLogging() {
  std::error_code ignored;  // a missing file is not an error
  std::filesystem::remove(kLogFileName, ignored);

  auto logger = spdlog::basic_logger_st(kDemoLoggerName, kLogFileName);
  logger->set_level(spdlog::level::off);

  Assimp::DefaultLogger::create("", Assimp::Logger::VERBOSE, aiDefaultLogStream_DEBUGGER);
}

}  // namespace ostrel
