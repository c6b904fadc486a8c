// The entry point: the setup dialog, then the production in its start-up order, played on
// the sound card's clock until the music ends.
#include "app/FatalError.h"
#include "app/Production.h"

#include <windows.h>

namespace ostrel {
namespace {

int runProduction(HINSTANCE instance) {
  Production production(instance);
  if (!production.runSetup()) {
    production.quit();
    return 0;
  }
  production.runToTheEnd([&production] {
    production.start();
    production.startPlayback();
    production.runFrameLoop();
  });
  return 0;
}

}  // namespace
}  // namespace ostrel

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return ostrel::runReportingFatalErrors([instance] { return ostrel::runProduction(instance); });
}
