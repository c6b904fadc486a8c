// The entry point: brings the production up in order, runs it and ends the process.
#include "app/Application.h"
#include "app/FatalError.h"
#include "app/Logging.h"
#include "audio/AudioManager.h"
#include "registry/DemoLogger.h"
#include "registry/Resources.h"

#include <windows.h>

namespace ostrel {
namespace {

// Until the frame loop exists, the music is followed by polling its end test this often.
constexpr DWORD kEndPollIntervalMs = 5;

int runProduction(HINSTANCE instance) {
  const Resources resources = masterResources();
  setupLogging();
  auto logger = demoLogger();

  logger->info("Creating instance of Demo");
  Application application(instance, nullptr, nullptr);
  logger->debug("Opening setup window");
  logger->debug("Setup window closed");

  // The main window's handle goes here once the window exists.
  audioManagerInstance = new AudioManager(nullptr);
  AudioManager& audioManager = *audioManagerInstance;
  if (!audioManager.initialized) {
    application.quit();
    return 0;
  }
  if (!audioManager.loadFiles(resources.files.at("audioTrack"), resources.files.at("midiTrack"))) {
    application.quit();
    return 0;
  }
  audioManager.rewind();
  // The configuration's "paused" entry is set to 0 here, and checked before playing below.
  application.storeAudio(&audioManager);

  audioManager.audio->play();
  audioManager.midi->play();
  while (isBeforeEnd(*audioManager.audio)) {
    Sleep(kEndPollIntervalMs);
  }

  application.quit();
  return 0;
}

}  // namespace
}  // namespace ostrel

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return ostrel::runReportingFatalErrors([instance] { return ostrel::runProduction(instance); });
}
