// The configuration tables and their defaults.
#include "config/Configuration.h"

namespace ostrel {

void Configuration::setDefaults() {
  uiState = {{"mainWindowPosition", {0, 0}}, {"consoleWindowPosition", {0, 0}}};
  audioState = {{"position", 0}, {"paused", 0}};
  debug = {{"width", 1920}, {"height", 1080}, {"windowed", 1},
           {"alwaysOnTop", 0}, {"vsync", 0}, {"multiSample", 0}};
  release = {{"width", 1920}, {"height", 1080}, {"windowed", 0},
             {"alwaysOnTop", 1}, {"vsync", 1}, {"multiSample", 1}};
}

void Configuration::readReleaseScreen(ScreenSettings& settings) {
  settings.width = release["width"];
  settings.height = release["height"];
  settings.windowed = release["windowed"];
  settings.vsync = release["vsync"];
  settings.multiSample = release["multiSample"];
  settings.alwaysOnTop = release["alwaysOnTop"];
}

void Configuration::writeReleaseScreen(const ScreenSettings& settings) {
  release["width"] = settings.width;
  release["height"] = settings.height;
  release["windowed"] = settings.windowed;
  release["vsync"] = settings.vsync;
  release["multiSample"] = settings.multiSample;
  release["alwaysOnTop"] = settings.alwaysOnTop;
}

}  // namespace ostrel
