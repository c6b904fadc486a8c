// A run whose window cannot get a depth buffer (a 0 x 0 window): goes through the same
// start-up calls and failure handling as the program, with the log turned up.
#include "app/Application.h"
#include "app/FatalError.h"
#include "app/Logging.h"
#include "config/Configuration.h"
#include "config/ScreenSettings.h"
#include "registry/DemoLogger.h"
#include "render/GraphicsContext.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return ostrel::runReportingFatalErrors([instance] {
    ostrel::setupLogging();
    ostrel::demoLogger()->set_level(spdlog::level::trace);
    static ostrel::Configuration configuration;
    static ostrel::ScreenSettings settings;
    configuration.setDefaults();
    configuration.release["width"] = 0;
    configuration.release["height"] = 0;
    configuration.release["windowed"] = 1;
    ostrel::Application application(instance, &configuration, &settings);
    application.registerWindowClass();
    HWND window = nullptr;
    application.createWindowAndDevice(new ostrel::GraphicsContext(), window);
    application.quit();
    return 0;
  });
}
