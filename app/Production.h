// The production from its logger to its last frame, in start-up order: one code path for the
// release (the setup dialog, then frames on the sound card's clock until the music ends) and
// for the frame renderers (a chosen size, frames at positions a hand-driven clock moves the
// music to). Whatever drives the clock, a frame is drawn by the same Application::runFrame
// through the same Demo.
//
// The Production owns everything start-up makes, held below in the order it is made; the
// Application and the Demo only point at what they use. Nothing is ever destroyed: every run
// ends inside endProcess, which terminates the process with its objects alive.
#pragma once

#include "app/Application.h"
#include "config/ConfigManager.h"
#include "config/Configuration.h"
#include "config/ScreenSettings.h"
#include "registry/Resources.h"
#include "render/RepeatedCallCheck.h"

#include <windows.h>

#include <spdlog/spdlog.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace ostrel {

class AudioManager;
class Demo;
class Dispatcher;
struct GraphicsContext;

class Production {
public:
  // The whole run on the entry thread: makes the Production, hands it to body (the setup
  // dialog or chosen settings, start-up, frames) and ends the process with exit code 0 when
  // body returns. An error escaping either ends the run through the fatal-error path
  // (app/FatalError.h) while the Production still stands. Returns an exit code only when
  // the process could not be ended.
  static int run(HINSTANCE instance, const std::function<void(Production&)>& body);

  // The registry copy, the logging set-up, the configuration with its defaults and
  // "config.json" read over them, and the Application.
  explicit Production(HINSTANCE instance);
  Production(const Production&) = delete;
  Production& operator=(const Production&) = delete;
  ~Production();

  // The setup dialog; its choices kept and "config.json" written, for Run and Cancel
  // alike. False when the viewer cancelled.
  bool runSetup();
  // Instead of the dialog: a window of width x height pixels, no vertical sync, and the
  // configuration left as it is.
  void chooseSettings(std::uint32_t width, std::uint32_t height);

  // Window, device, audio, timeline, and the Demo with its graphics and scenes, the loading
  // picture on screen meanwhile. Throws for whatever keeps the production from starting.
  void start();
  // Both streams play from their start.
  void startPlayback();

  // The frame loop: a frame drawn and presented per pass, at most one window message per
  // pass, while the music has not reached its end. Returns at the quit message (Escape, a
  // closed window), or when afterPresent (given the frame just presented) returns false.
  using FrameObserver = std::function<bool(const Demo&)>;
  void runFrameLoop(const FrameObserver& afterPresent = {});

  // A pass's steps, for loops of other clocks: a UI frame and Application::runFrame; the
  // present with the chosen sync interval (a failure logged once); one waiting message if
  // any, false when it was the quit message.
  void drawFrame();
  void present();
  bool handleOneMessage();

  // Seconds from the start of start() to the Demo's first frame, by part.
  struct StartupTimes {
    double windowAndDevice = 0;
    double audio = 0;
    double timeline = 0;
    double demo = 0;  // the Demo's graphics and scenes (Demo::loadTimes splits them)
  };
  const StartupTimes& startupTimes() const { return times; }

  Application& application() { return app; }
  GraphicsContext& graphics();
  AudioManager& audio();
  const Demo& demo() const;

private:
  // The steps of start(). Each throws for what keeps the production from starting.
  HWND openMainWindow();
  void loadAudio(HWND window);
  void loadTimeline();
  void loadDemo();
  void setFirstViewport();

  // Process-wide: the configuration tables and the display settings (all zero until the
  // dialog or chooseSettings fills them).
  Configuration configuration;
  ScreenSettings settings{};
  HINSTANCE instance;
  Resources resources;
  std::shared_ptr<spdlog::logger> logger;
  ConfigManager configManager;
  Application app;
  std::unique_ptr<GraphicsContext> graphicsContext;
  std::unique_ptr<AudioManager> audioManager;  // audioManagerInstance points at it
  std::unique_ptr<Dispatcher> dispatcher;
  std::unique_ptr<Demo> director;

  StartupTimes times;
  RepeatedCallCheck presentCheck{"Present"};
};

}  // namespace ostrel
