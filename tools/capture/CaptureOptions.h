// What demo-capture is asked for on its command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrel::capture {

struct CaptureOptions {
  std::uint32_t width = 1920;
  std::uint32_t height = 1080;
  std::uint32_t framesPerSecond = 60;
  // Seconds of music: the frames whose time lies from fromSeconds up to (not including)
  // toSeconds, or to the end of the music.
  double fromSeconds = 0;
  std::optional<double> toSeconds;
  // Where every frame goes, raw: width x height pixels of 8-bit RGBA (sRGB-encoded, alpha
  // 255), rows top to bottom, one frame after another. A file or a named pipe; UTF-8.
  std::string framesPath;
};

// Reads the arguments after the program name. Throws std::invalid_argument naming the one
// it cannot use.
CaptureOptions parseCaptureOptions(const std::vector<std::string>& arguments);

// The command line's help text.
extern const char* const kCaptureUsage;

}  // namespace ostrel::capture
