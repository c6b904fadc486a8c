// What demo-frames is asked for on its command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::frames {

struct FrameOptions {
  std::uint32_t width = 640;
  std::uint32_t height = 360;
  // Moments to render with the hand-driven clock, in the order given (each at or after the
  // one before): seconds of music, or "middles" (the middle of every section) or "markers"
  // (the last 60 Hz frame before every marker and the first at or after it).
  std::vector<std::string> moments;
  std::string outputFolder = "frames";  // the pictures, as PNG files
  std::string recordFile;               // one line per frame drawn; none when empty
  bool writePictures = true;
  // Each moment drawn this many times more, its scene pass and post chain timed apart, and
  // the start-up's parts printed.
  int benchmarkRepeats = 0;
  // The sound card's clock instead (the release's frame loop) until this many seconds of
  // music have played; every frame recorded.
  double playSeconds = 0;
};

// Reads the arguments after the program name. Throws std::invalid_argument naming the one
// it cannot use.
FrameOptions parseFrameOptions(const std::vector<std::string>& arguments);

// The command line's help text.
extern const char* const kFrameUsage;

}  // namespace ostrel::frames
