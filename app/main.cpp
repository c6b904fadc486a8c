// The entry point: brings the production up in order, runs it and ends the process.
#include "app/Application.h"
#include "app/FatalError.h"
#include "app/GraphicsContext.h"
#include "app/Logging.h"
#include "app/UiBinding.h"
#include "audio/AudioManager.h"
#include "bass/CallGuard.h"
#include "config/ConfigManager.h"
#include "config/Configuration.h"
#include "config/ScreenSettings.h"
#include "registry/DemoLogger.h"
#include "registry/Resources.h"
#include "registry/TextConversion.h"
#include "ui/SetupDialog.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace ostrel {
namespace {

constexpr const char* kConfigFileName = "config.json";

// The process-wide records. Configuration and settings exist from static initialisation
// (the settings all zero); the graphics from the moment the window is made. None is ever
// destroyed.
Configuration configuration;
ScreenSettings screenSettings;
GraphicsContext* graphicsContext = nullptr;

// The setup dialog, its result kept in the configuration (or, when it chose no resolution,
// the configuration's settings taken instead), and "config.json" written for Run and Cancel
// alike. Returns false when the viewer cancelled.
bool runSetup(HINSTANCE instance, Application& application, const ConfigManager& configManager,
              spdlog::logger& logger) {
  logger.debug("Opening setup window");
  screenSettings = ScreenSettings{};
  setSetupDialogSettings(&screenSettings);
  const INT_PTR result = runSetupDialog(instance);
  if (screenSettings.height != 0) {
    application.storeSettings();
  } else {
    application.loadSettings();
  }
  logger.debug("Setup window closed");
  configManager.save();
  return result != 0;
}

void setFirstViewport(GraphicsContext& graphics) {
  D3D11_VIEWPORT viewport{};
  viewport.Width = float(screenSettings.width);
  viewport.Height = float(screenSettings.height);
  viewport.MaxDepth = 1.0f;
  graphics.context->RSSetViewports(1, &viewport);
}

// The window, device, swap chain and depth buffer, the UI binding and the first viewport.
// Returns the window. Throws GraphicsError.
HWND openMainWindow(Application& application, spdlog::logger& logger) {
  application.registerWindowClass();
  logger.info("Window handler procedure assigned");

  logger.info("DirectX: creating context");
  graphicsContext = new GraphicsContext();
  HWND window = nullptr;
  application.createWindowAndDevice(graphicsContext, window);

  initialiseUiBinding(window, graphicsContext->device.Get(), graphicsContext->context.Get(),
                      float(screenSettings.width), float(screenSettings.height));
  logger.info("DirectX: creating viewport");
  setFirstViewport(*graphicsContext);
  return window;
}

// What the viewer reads when the sound cannot start: what failed, in plain words, and the
// audio library's own code and explanation for whoever reports it.
[[noreturn]] void failAudio(const std::string& what) {
  const std::string detail = bass::lastErrorText();
  throw std::runtime_error(fmt::format("{}.\n\n(Audio library error {}{}{})", what,
                                       BASS_ErrorGetCode(), detail.empty() ? "" : ": ", detail));
}

// The audio manager on the main window, both files opened and rewound. Throws
// std::runtime_error, reported to the viewer, when there is no sound output or a file
// cannot be read; the manager has logged why as well.
void loadAudio(Application& application, HWND window, const Resources& resources) {
  audioManagerInstance = new AudioManager(window);
  AudioManager& audioManager = *audioManagerInstance;
  if (!audioManager.initialized) {
    failAudio("No sound output device was found");
  }
  const std::wstring musicFile = resources.files.at("audioTrack");
  const std::wstring midiFile = resources.files.at("midiTrack");
  if (!audioManager.loadFiles(musicFile, midiFile)) {
    failAudio(audioManager.audioStream ? "Unable to read the MIDI file " + toUtf8(midiFile)
                                       : "Unable to read the music file " + toUtf8(musicFile));
  }
  audioManager.rewind();
  configuration.audioState["paused"] = 0;
  application.storeAudio(&audioManager);
}

void startPlayback(AudioManager& audioManager) {
  if (configuration.audioState["paused"] == 0) {
    audioManager.audio->play();
    audioManager.midi->play();
  }
}

// Once the audio is loaded, the pointer has no business over the production.
void hideMouseCursor() {
  ShowCursor(FALSE);
}

// One frame per pass, presented with the chosen sync interval, and at most one window
// message per pass, so that a stream of messages never holds a frame back. Returns when
// the music has played to its end, or at once when the quit message arrives (Escape or a
// closed window).
void runFrameLoop(Application& application, GraphicsContext& graphics, AudioManager& audio) {
  MSG message{};
  do {
    runUiFrame();
    application.runFrame();
    graphics.swapChain->Present(screenSettings.vsync, 0);
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (message.message == WM_QUIT) {
        return;
      }
    }
  } while (isBeforeEnd(*audio.audio));
}

int runProduction(HINSTANCE instance) {
  const Resources resources = masterResources();
  setupLogging();
  auto logger = demoLogger();
  const ConfigManager configManager(&configuration, kConfigFileName);

  logger->info("Creating instance of Demo");
  Application application(instance, &configuration, &screenSettings);

  if (!runSetup(instance, application, configManager, *logger)) {
    application.quit();
    return 0;
  }

  application.runEndingOnFatalError([&application, &logger, &resources] {
    const HWND window = openMainWindow(application, *logger);
    loadAudio(application, window, resources);
    hideMouseCursor();
    application.createDispatcher();
    startPlayback(*audioManagerInstance);
    runFrameLoop(application, *graphicsContext, *audioManagerInstance);
  });
  application.quit();
  return 0;
}

}  // namespace
}  // namespace ostrel

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return ostrel::runReportingFatalErrors([instance] { return ostrel::runProduction(instance); });
}
