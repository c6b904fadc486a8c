// The production from its logger to its last frame, in start-up order: one code path for the
// release (the setup dialog, then frames on the sound card's clock until the music ends) and
// for the frame renderer (a chosen size, frames at positions a hand-driven clock moves the
// music to). Whatever drives the clock, a frame is drawn by the same Application::runFrame
// through the same Demo.
#pragma once

#include "app/Application.h"
#include "config/ConfigManager.h"
#include "registry/Resources.h"

#include <windows.h>

#include <spdlog/spdlog.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace ostrel {

class AudioManager;
class Demo;
struct GraphicsContext;

class Production {
public:
  // The registry copy, the logging set-up, the configuration with its defaults and
  // "config.json" read over them, and the Application.
  explicit Production(HINSTANCE instance);

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
  // present with the chosen sync interval; one waiting message if any, false when it was
  // the quit message.
  void drawFrame();
  void present();
  bool handleOneMessage();

  // Runs body; an error escaping it is reported to the viewer and ends the process with a
  // non-zero exit code. When body returns, the process ends with exit code 0. Returns only
  // when the process cannot be ended.
  void runToTheEnd(const std::function<void()>& body);
  // Ends the process with exit code 0; returns only when it cannot.
  void quit();

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
  HINSTANCE instance;
  Resources resources;
  std::shared_ptr<spdlog::logger> logger;
  ConfigManager configManager;
  Application app;
  StartupTimes times;
};

}  // namespace ostrel
