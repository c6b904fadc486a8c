// The start-up order, the frame loop and the end of the process.
#include "app/Production.h"

#include "app/GraphicsContext.h"
#include "app/Logging.h"
#include "app/StepTiming.h"
#include "app/UiBinding.h"
#include "audio/AudioManager.h"
#include "bass/CallGuard.h"
#include "config/Configuration.h"
#include "config/ScreenSettings.h"
#include "registry/DemoLogger.h"
#include "registry/TextConversion.h"
#include "ui/SetupDialog.h"

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

// Logging comes before the configuration, which logs what it reads.
std::shared_ptr<spdlog::logger> startLogging() {
  setupLogging();
  return demoLogger();
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

// The log names the Application's creation first.
HINSTANCE announceApplication(spdlog::logger& logger, HINSTANCE instance) {
  logger.info("Creating instance of Demo");
  return instance;
}

// Once the audio is loaded, the pointer has no business over the production.
void hideMouseCursor() {
  ShowCursor(FALSE);
}

}  // namespace

Production::Production(HINSTANCE instance)
    : instance(instance),
      resources(masterResources()),
      logger(startLogging()),
      configManager(&configuration, kConfigFileName),
      app(announceApplication(*logger, instance), &configuration, &screenSettings) {}

bool Production::runSetup() {
  logger->debug("Opening setup window");
  screenSettings = ScreenSettings{};
  setSetupDialogSettings(&screenSettings);
  const INT_PTR result = runSetupDialog(instance);
  if (screenSettings.height != 0) {
    app.storeSettings();
  } else {
    app.loadSettings();
  }
  logger->debug("Setup window closed");
  configManager.save();
  return result != 0;
}

void Production::chooseSettings(std::uint32_t width, std::uint32_t height) {
  screenSettings.width = width;
  screenSettings.height = height;
  screenSettings.windowed = 1;
  screenSettings.vsync = 0;
  screenSettings.alwaysOnTop = 0;
}

void Production::start() {
  times = {};
  HWND window = nullptr;
  timed(times.windowAndDevice, [&] { window = openMainWindow(app, *logger); });
  timed(times.audio, [&] { loadAudio(app, window, resources); });
  hideMouseCursor();
  timed(times.timeline, [&] { app.createDispatcher(); });
  timed(times.demo, [&] { app.createDemo(); });
}

void Production::startPlayback() {
  if (configuration.audioState["paused"] == 0) {
    audioManagerInstance->audio->play();
    audioManagerInstance->midi->play();
  }
}

void Production::drawFrame() {
  runUiFrame();
  app.runFrame();
}

void Production::present() {
  graphicsContext->swapChain->Present(screenSettings.vsync, 0);
}

bool Production::handleOneMessage() {
  MSG message{};
  if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    return true;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return message.message != WM_QUIT;
}

// At most one message per pass, so that a stream of messages never holds a frame back.
void Production::runFrameLoop(const FrameObserver& afterPresent) {
  do {
    drawFrame();
    present();
    if (afterPresent && !afterPresent(demo())) {
      return;
    }
    if (!handleOneMessage()) {
      return;
    }
  } while (isBeforeEnd(*audioManagerInstance->audio));
}

void Production::runToTheEnd(const std::function<void()>& body) {
  app.runEndingOnFatalError(body);
  quit();
}

void Production::quit() {
  app.quit();
}

GraphicsContext& Production::graphics() { return *graphicsContext; }

AudioManager& Production::audio() { return *audioManagerInstance; }

const Demo& Production::demo() const { return *app.getDemo(); }

}  // namespace ostrel
