// The display settings chosen at start-up: one process-wide record, all zero at program
// start, written by the setup dialog or taken from the configuration's "release" table.
#pragma once

#include <cstdint>

namespace ostrel {

struct ScreenSettings {
  std::uint32_t width = 0;        // pixels of window, swap chain and every render target
  std::uint32_t height = 0;
  std::uint32_t colorDepth = 0;   // bits; 32 when taken from the configuration, read by nobody
  std::uint32_t windowed = 0;     // 0 = fullscreen swap chain
  std::uint32_t vsync = 0;        // sync interval of every present, 0 or 1
  std::uint32_t multiSample = 0;  // the viewer's choice, stored and written, read by nobody
  std::uint32_t alwaysOnTop = 0;  // exactly 1 makes the window topmost
  void* instance = nullptr;       // the program's module instance handle (HINSTANCE)
};

}  // namespace ostrel
