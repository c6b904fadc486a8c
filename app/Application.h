// The production's application object: ties the configuration, the display settings, its
// own copy of the resource registry, the window and device, the audio, the timeline and the
// demo together, and ends the process.
#pragma once

#include "registry/Resources.h"

#include <windows.h>

#include <spdlog/spdlog.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

class AudioManager;
class Block;
class Configuration;
class Demo;
class Dispatcher;
class MidiEvents;
struct GraphicsContext;
struct ScreenSettings;

class Application {
public:
  Application(HINSTANCE instance, Configuration* configuration, ScreenSettings* settings);

  // A copy of the registry's track name -> note name -> parameter name table.
  Resources::TrackParameterMapping getTrackParameterMapping() const;

  // Ends the process with exit code 0: closes its windows, then terminates it. Returns only
  // if the process cannot be ended; the caller then carries on.
  void quit();

private:
  Configuration* configuration;
  ScreenSettings* settings;
  Resources resources;
  HINSTANCE instance;
  GraphicsContext* graphics = nullptr;
  AudioManager* audio = nullptr;
  MidiEvents* midiEvents = nullptr;
  Dispatcher* dispatcher = nullptr;
  Demo* demo = nullptr;
  std::vector<Block*> blocks;  // every block of the timeline; not owned
  std::shared_ptr<spdlog::logger> logger;
};

}  // namespace ostrel
