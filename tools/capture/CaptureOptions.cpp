// The command line of demo-capture.
#include "tools/capture/CaptureOptions.h"

#include "tools/frames/CommandLineValues.h"

#include <cmath>
#include <stdexcept>

namespace ostrel::capture {

const char* const kCaptureUsage =
    "Renders the production frame by frame at a fixed step, the music moved by hand to each\n"
    "frame's position, and writes every frame raw for an encoder (tools/capture.sh runs it\n"
    "with ffmpeg). The rest is the release's start-up and frame.\n"
    "\n"
    "  demo-capture [options] --frames PATH\n"
    "\n"
    "  --frames PATH   where the frames go: WIDTHxHEIGHT 8-bit RGBA each, one after another\n"
    "                  (a file or a named pipe)\n"
    "  --size WxH      picture size (default 1920x1080)\n"
    "  --fps N         frames per second of music, 1 to 240 (default 60)\n"
    "  --from SECONDS  the first frame at or after this time (default 0)\n"
    "  --to SECONDS    the frames before this time (default: to the end of the music)\n"
    "\n"
    "Prints on standard output the plan (frame numbers, samples of music, the music file), then\n"
    "one line per frame written: its number, audio position, section, scene, scene time and\n"
    "logo strength, tab-separated. Run it from the folder that holds 'resources'.\n";

namespace {

std::uint32_t framesPerSecond(const std::string& text) {
  const double value = frames::parseNumber(text, "--fps");
  if (value < 1 || value > 240 || value != std::floor(value)) {
    throw std::invalid_argument("--fps wants a whole number from 1 to 240: '" + text + "'");
  }
  return std::uint32_t(value);
}

void checkRange(const CaptureOptions& options) {
  if (options.toSeconds && *options.toSeconds <= options.fromSeconds) {
    throw std::invalid_argument("--to must come after --from");
  }
  if (options.framesPath.empty()) {
    throw std::invalid_argument("--frames is missing: where should the frames go?");
  }
}

}  // namespace

CaptureOptions parseCaptureOptions(const std::vector<std::string>& arguments) {
  CaptureOptions options;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    const auto value = [&]() -> const std::string& {
      return frames::optionValue(arguments, index);
    };
    if (argument == "--size") {
      frames::parseSize(value(), options.width, options.height);
    } else if (argument == "--fps") {
      options.framesPerSecond = framesPerSecond(value());
    } else if (argument == "--from") {
      options.fromSeconds = frames::parseNumber(value(), "--from");
    } else if (argument == "--to") {
      options.toSeconds = frames::parseNumber(value(), "--to");
    } else if (argument == "--frames") {
      options.framesPath = value();
    } else {
      throw std::invalid_argument("Unknown argument " + argument);
    }
  }
  checkRange(options);
  return options;
}

}  // namespace ostrel::capture
