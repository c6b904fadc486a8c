// A stand-in for a run that hits broken data: throws through the same guard as the
// program's entry point, with the log turned up so the test can read what was logged.
#include "app/FatalError.h"
#include "app/Logging.h"
#include "registry/DemoLogger.h"

#include <windows.h>

#include <stdexcept>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return ostrel::runReportingFatalErrors([]() -> int {
    ostrel::setupLogging();
    ostrel::demoLogger()->set_level(spdlog::level::trace);
    throw std::runtime_error("Marker 'Stop' comes before marker 'Finish'");
  });
}
