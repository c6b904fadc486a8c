// Registers the "demo" logger on a string stream at level trace for the length of a test,
// so that a test can read back every message as "level text" lines.
#pragma once

#include "registry/DemoLogger.h"

#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ostrel::testing {

class LogCapture {
public:
  LogCapture() {
    auto sink = std::make_shared<spdlog::sinks::ostream_sink_st>(stream);
    logger = std::make_shared<spdlog::logger>(kDemoLoggerName, sink);
    logger->set_pattern("%l %v");
    logger->set_level(spdlog::level::trace);
    spdlog::register_logger(logger);
  }
  ~LogCapture() { spdlog::drop(kDemoLoggerName); }

  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream text(stream.str());
    for (std::string line; std::getline(text, line);) {
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();  // Windows line ends
      }
      result.push_back(line);
    }
    return result;
  }
  void clear() { stream.str({}); }

private:
  std::ostringstream stream;
  std::shared_ptr<spdlog::logger> logger;
};

}  // namespace ostrel::testing
