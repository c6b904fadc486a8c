// The start-up order, the frame loop and the end of the process.
#include "app/Production.h"

#include "app/FatalError.h"
#include "app/Logging.h"
#include "app/UiBinding.h"
#include "audio/AudioManager.h"
#include "audio/Dispatcher.h"
#include "audio/MusicalClock.h"
#include "bass/CallGuard.h"
#include "demo/Demo.h"
#include "demo/IncompleteBlocks.h"
#include "registry/DemoLogger.h"
#include "registry/TextConversion.h"
#include "render/GraphicsContext.h"
#include "render/StepTimer.h"
#include "ui/SetupDialog.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace ostrel {
namespace {

constexpr const char* kConfigFileName = "config.json";

// Logging comes before the configuration, which logs what it reads.
std::shared_ptr<spdlog::logger> startLogging() {
  setupLogging();
  return demoLogger();
}

// What the viewer reads when the sound cannot start: what failed, in plain words, and the
// audio library's own code and explanation for whoever reports it.
[[noreturn]] void failAudio(const std::string& what) {
  const std::string detail = bass::lastErrorText();
  throw std::runtime_error(fmt::format("{}.\n\n(Audio library error {}{}{})", what,
                                       BASS_ErrorGetCode(), detail.empty() ? "" : ": ", detail));
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

int Production::run(HINSTANCE instance, const std::function<void(Production&)>& body) {
  // Outside the guard, so that an error escaping body leaves it standing for the end.
  std::optional<Production> production;
  return runReportingFatalErrors([&] {
    production.emplace(instance);
    body(*production);
    production->app.quit();
    return 0;
  });
}

Production::Production(HINSTANCE instance)
    : instance(instance),
      resources(masterResources()),
      logger(startLogging()),
      configManager(&configuration, kConfigFileName),
      app(announceApplication(*logger, instance), &configuration, &settings) {}

Production::~Production() = default;

bool Production::runSetup() {
  logger->debug("Opening setup window");
  settings = ScreenSettings{};
  setSetupDialogSettings(&settings);
  const INT_PTR result = runSetupDialog(instance);
  if (settings.height != 0) {
    app.storeSettings();
  } else {
    app.loadSettings();
  }
  logger->debug("Setup window closed");
  configManager.save();
  return result != 0;
}

void Production::chooseSettings(std::uint32_t width, std::uint32_t height) {
  settings.width = width;
  settings.height = height;
  settings.windowed = 1;
  settings.vsync = 0;
  settings.alwaysOnTop = 0;
}

void Production::start() {
  times = {};
  HWND window = nullptr;
  timed(times.windowAndDevice, [&] { window = openMainWindow(); });
  timed(times.audio, [&] { loadAudio(window); });
  hideMouseCursor();
  timed(times.timeline, [&] { loadTimeline(); });
  timed(times.demo, [&] { loadDemo(); });
}

// The window, device, swap chain and depth buffer, the UI binding and the first viewport.
// Throws GraphicsError.
HWND Production::openMainWindow() {
  app.registerWindowClass();
  logger->info("Window handler procedure assigned");

  logger->info("DirectX: creating context");
  graphicsContext = std::make_unique<GraphicsContext>();
  leaveFullscreenOnFatalError(graphicsContext.get());
  HWND window = nullptr;
  app.createWindowAndDevice(graphicsContext.get(), window);

  initialiseUiBinding(window, graphicsContext->device.Get(), graphicsContext->context.Get(),
                      float(settings.width), float(settings.height));
  logger->info("DirectX: creating viewport");
  setFirstViewport();
  return window;
}

void Production::setFirstViewport() {
  D3D11_VIEWPORT viewport{};
  viewport.Width = float(settings.width);
  viewport.Height = float(settings.height);
  viewport.MaxDepth = 1.0f;
  graphicsContext->context->RSSetViewports(1, &viewport);
}

// The audio manager on the main window, both files opened and rewound. Throws
// std::runtime_error, reported to the viewer, when there is no sound output or a file
// cannot be read; the manager has logged why as well.
void Production::loadAudio(HWND window) {
  audioManager = std::make_unique<AudioManager>(window);
  audioManagerInstance = audioManager.get();
  if (!audioManager->initialized) {
    failAudio("No sound output device was found");
  }
  const std::wstring musicFile = resources.files.at("audioTrack");
  const std::wstring midiFile = resources.files.at("midiTrack");
  if (!audioManager->loadFiles(musicFile, midiFile)) {
    failAudio(audioManager->audioStream ? "Unable to read the MIDI file " + toUtf8(midiFile)
                                        : "Unable to read the music file " + toUtf8(musicFile));
  }
  audioManager->rewind();
  configuration.audioState["paused"] = 0;
  app.storeAudio(audioManager.get());
}

// The Dispatcher on the audio manager's timeline, with the registry's track mapping, and
// every block read. Throws std::runtime_error for a timeline that breaks the authoring
// rules, an incomplete block among them.
void Production::loadTimeline() {
  dispatcher = std::make_unique<Dispatcher>();
  dispatcher->setTrackParameterMapping(app.getTrackParameterMapping());
  app.storeDispatcher(dispatcher.get());
  const Resources::Path timeline = resources.files.at("midiTrack");
  try {
    app.loadBlocks();
  } catch (const std::exception&) {
    std::throw_with_nested(std::runtime_error(
        "The timeline " + toUtf8(timeline) +
        " breaks the authoring rules (timeline-check lists where):"));
  }
  // Here rather than mid-show, where the block's first frame would end the run.
  rejectIncompleteBlocks(app.timelineBlocks(), toUtf8(timeline), MusicalClock::ofFile(timeline));
}

// The Demo on the window's device and the audio, its graphics (the loading picture shows
// from then on) and its scenes. Throws for a picture or a scene that cannot be read.
void Production::loadDemo() {
  director = std::make_unique<Demo>(graphicsContext.get(), audioManager.get(), &settings);
  app.storeDemo(director.get());
  director->loadGraphics();
  director->loadScenes();
}

void Production::startPlayback() {
  if (configuration.audioState["paused"] == 0) {
    audioManager->audio->play();
    audioManager->midi->play();
  }
}

void Production::drawFrame() {
  runUiFrame();
  app.runFrame();
}

void Production::present() {
  presentCheck.succeeded(graphicsContext->swapChain->Present(settings.vsync, 0));
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
  } while (isBeforeEnd(*audioManager->audio));
}

GraphicsContext& Production::graphics() { return *graphicsContext; }

AudioManager& Production::audio() { return *audioManager; }

const Demo& Production::demo() const { return *director; }

}  // namespace ostrel
