// The entry point: brings the production up in order, runs it and ends the process.
#include "app/Application.h"
#include "app/FatalError.h"
#include "app/Logging.h"
#include "registry/DemoLogger.h"
#include "registry/Resources.h"

#include <windows.h>

namespace ostrel {
namespace {

int runProduction(HINSTANCE instance) {
  const Resources resources = masterResources();
  setupLogging();
  auto logger = demoLogger();

  logger->info("Creating instance of Demo");
  Application application(instance, nullptr, nullptr);
  logger->debug("Opening setup window");
  logger->debug("Setup window closed");

  application.quit();
  return 0;
}

}  // namespace
}  // namespace ostrel

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return ostrel::runReportingFatalErrors([instance] { return ostrel::runProduction(instance); });
}
