// The production's application object: ties the configuration, the display settings, its
// own copy of the resource registry, the window and device, the audio, the timeline and the
// demo together (none of which it owns: Production does), runs a frame and ends the process.
#pragma once

#include "registry/Resources.h"

#include <windows.h>

#include <spdlog/spdlog.h>

#include <memory>
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
  // Takes the display settings from the configuration's "release" table (loadSettings).
  Application(HINSTANCE instance, Configuration* configuration, ScreenSettings* settings);

  // The display settings from the "release" table, with this module as instance and a colour
  // depth of 32; and the other way round.
  void loadSettings();
  void storeSettings();

  // Registers the main window's class. On failure says so in a message box and returns
  // false; start-up goes on.
  bool registerWindowClass();

  // Creates into graphics the window (at the configured "mainWindowPosition", returned in
  // window as soon as it exists), the device, swap chain and depth buffer, makes the window
  // topmost when alwaysOnTop is exactly 1, and keeps graphics. Throws GraphicsError.
  void createWindowAndDevice(GraphicsContext* graphics, HWND& window);

  // A copy of the registry's track name -> note name -> parameter name table.
  Resources::TrackParameterMapping getTrackParameterMapping() const;

  // Keeps the audio manager and its MIDI event reader, the dispatcher and the Demo (not
  // owned) as start-up makes them.
  void storeAudio(AudioManager* audioManager);
  void storeDispatcher(Dispatcher* timelineDispatcher);
  void storeDemo(Demo* director);

  // Every block of the timeline from the dispatcher, kept for the frames. Throws
  // std::runtime_error for a timeline that breaks the authoring rules.
  void loadBlocks();
  const std::vector<Block*>& timelineBlocks() const { return blocks; }

  // One frame of the production at the audio position read once at its start: the blocks
  // active there, the scene, the post chain. Throws std::runtime_error, naming the marker,
  // its scene key and file, for a section whose scene was never loaded.
  void runFrame();
  // Its two steps, for tools that time them apart: the scene pass at the position read now,
  // and the post chain into the back buffer.
  void renderFrameScene();
  void postProcessFrame();

  // Ends the process (endProcess) with exit code 0; returns only if the process cannot be
  // ended, and the caller then carries on.
  void quit();

  // Window procedure of the main window, whose creation parameter is its GraphicsContext.
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

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
