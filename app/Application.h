// The production's application object: ties the configuration, the display settings, its
// own copy of the resource registry, the window and device, the audio, the timeline and the
// demo together, and ends the process.
#pragma once

#include "registry/Resources.h"

#include <windows.h>

#include <spdlog/spdlog.h>

#include <exception>
#include <functional>
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

  // One frame of the production.
  void runFrame();

  // Ends the process: shuts the UI binding down, flushes and drops the loggers, closes the
  // process's windows and terminates it with exitCode (0 on every ordinary end). Returns
  // only if the process cannot be ended; the caller then carries on.
  void quit(UINT exitCode = 0);

  // Runs body, the part of the run during which the window may exist. An error escaping it
  // ends the run through endAfterFatalError: with the result code of a failed depth buffer,
  // else with exit code 1.
  void runEndingOnFatalError(const std::function<void()>& body);

  // For an error nothing can recover from: leaves fullscreen so the viewer can read it,
  // reports it in a message box and the log, then ends as quit does, with exitCode.
  static void endAfterFatalError(const std::exception& error, UINT exitCode,
                                 GraphicsContext* graphics);

  // Window procedure of the main window, whose creation parameter is its GraphicsContext.
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Keeps the audio manager and its MIDI event reader (not owned).
  void storeAudio(AudioManager* audioManager);

  // Creates the Dispatcher on the audio manager's timeline, gives it the registry's track
  // mapping and reads every block (loadBlocks). Throws std::runtime_error for a timeline
  // that breaks the authoring rules, an incomplete block among them.
  void createDispatcher();
  void loadBlocks();

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
