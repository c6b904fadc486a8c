// The production's persistent settings: four ordered tables with built-in defaults. Reading
// an absent key adds it with the value 0 (std::map's operator[]), as every reader expects.
#pragma once

#include "config/ScreenSettings.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace ostrel {

class Configuration {
public:
  using Position = std::pair<std::int32_t, std::int32_t>;   // first = x, second = y, pixels
  using ScreenTable = std::map<std::string, std::uint32_t>;

  // Replaces the content of every table with the built-in defaults.
  void setDefaults();

  // Copy between the "release" screen table and the display settings (width, height,
  // windowed, vsync, multiSample, alwaysOnTop; the other fields are left alone).
  void readReleaseScreen(ScreenSettings& settings);
  void writeReleaseScreen(const ScreenSettings& settings);

  std::map<std::string, Position> uiState;          // "mainWindowPosition" places the window
  std::map<std::string, std::uint64_t> audioState;  // "paused" 0 starts playback
  ScreenTable debug;                                // kept and written, read by nobody
  ScreenTable release;                              // the display settings
};

}  // namespace ostrel
