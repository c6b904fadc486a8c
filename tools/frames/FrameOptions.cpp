// The command line of demo-frames.
#include "tools/frames/FrameOptions.h"

#include "tools/frames/CommandLineValues.h"

#include <stdexcept>

namespace ostrel::frames {

const char* const kFrameUsage =
    "Renders the production's frames at chosen moments of the music, exactly: the music is\n"
    "moved there by hand, the rest is the release's start-up and frame.\n"
    "\n"
    "  demo-frames [options] MOMENT...\n"
    "\n"
    "MOMENT: seconds of music (175, 179.5), 'middles' (the middle of every section) or\n"
    "'markers' (the last 60 Hz frame before every marker and the first at or after it).\n"
    "Moments are drawn in the order given and may not go back in the music.\n"
    "\n"
    "  --size WxH        picture size (default 640x360)\n"
    "  --out FOLDER      where the PNG pictures go (default 'frames')\n"
    "  --no-pictures     read nothing back\n"
    "  --record FILE     one line per frame: position, marker, scene, time, logo, timings\n"
    "  --benchmark N     draw each moment N times more, timing its scene pass and post\n"
    "                    chain apart, and print them with the start-up's parts\n"
    "  --play SECONDS    play the music on the sound card instead, through the release's\n"
    "                    frame loop, until SECONDS; every frame is recorded\n"
    "\n"
    "Run it from the folder that holds 'resources'.\n";

namespace {

void readMoment(const std::string& text, FrameOptions& options) {
  if (text != "middles" && text != "markers") {
    parseNumber(text, "A moment");
  }
  options.moments.push_back(text);
}

}  // namespace

FrameOptions parseFrameOptions(const std::vector<std::string>& arguments) {
  FrameOptions options;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    const auto value = [&]() -> const std::string& { return optionValue(arguments, index); };
    if (argument == "--size") {
      parseSize(value(), options.width, options.height);
    } else if (argument == "--out") {
      options.outputFolder = value();
    } else if (argument == "--no-pictures") {
      options.writePictures = false;
    } else if (argument == "--record") {
      options.recordFile = value();
    } else if (argument == "--benchmark") {
      options.benchmarkRepeats = int(parseNumber(value(), "--benchmark"));
    } else if (argument == "--play") {
      options.playSeconds = parseNumber(value(), "--play");
    } else if (argument.starts_with("--")) {
      throw std::invalid_argument("Unknown option " + argument);
    } else {
      readMoment(argument, options);
    }
  }
  if (options.moments.empty() && options.playSeconds == 0) {
    throw std::invalid_argument("Nothing to render: give a moment or --play");
  }
  return options;
}

}  // namespace ostrel::frames
