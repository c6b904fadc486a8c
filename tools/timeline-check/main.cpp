// timeline-check: checks a timeline MIDI file against the production's authoring rules and
// prints its sections, its effect blocks and every problem found; optionally draws it all
// as a picture.
//
//   timeline-check [--audio AUDIO.ogg] [--plot PICTURE.png] TIMELINE.mid
//
// Exit status: 0 when a run of the production would succeed, 1 when it would fail, 2 when
// the files cannot be read or the picture cannot be written.
#include "bass/Library.h"
#include "bass/ManualOutputDriver.h"
#include "bass/bass.h"
#include "registry/Resources.h"
#include "tools/timeline-check/ReportPrinter.h"
#include "tools/timeline-check/TimelineChecker.h"
#include "tools/timeline-check/TimelinePlot.h"

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string midiPath;
  std::string audioPath;
  std::string plotPath;
};

std::optional<Options> parse(int argc, char** argv) {
  Options options;
  for (int index = 1; index < argc; ++index) {
    const std::string argument = argv[index];
    if (argument == "--audio" && index + 1 < argc) {
      options.audioPath = argv[++index];
    } else if (argument == "--plot" && index + 1 < argc) {
      options.plotPath = argv[++index];
    } else if (!argument.empty() && argument[0] != '-' && options.midiPath.empty()) {
      options.midiPath = argument;
    } else {
      return std::nullopt;
    }
  }
  if (options.midiPath.empty()) {
    return std::nullopt;
  }
  return options;
}

std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The music as the program opens it; 0 when it cannot be read.
HSTREAM openAudio(const std::string& path) {
  const auto file = readFile(path);
  return file ? BASS_StreamCreateFile(TRUE, file->data(), 0, file->size(), 0) : 0;
}

bool drawPlot(const ostrel::TimelineReport& report, const ostrel::Waveform& waveform,
              const std::string& path) {
  try {
    ostrel::TextRenderer text;
    const ostrel::TimelinePlot plot(report, waveform, text);
    if (plot.picture().writePng(path)) {
      return true;
    }
    std::cerr << "timeline-check: cannot write the picture " << path << "\n";
  } catch (const std::exception& error) {
    std::cerr << "timeline-check: cannot draw the picture: " << error.what() << "\n";
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const auto options = parse(argc, argv);
  if (!options) {
    std::cerr << "usage: timeline-check [--audio AUDIO.ogg] [--plot PICTURE.png] TIMELINE.mid\n";
    return 2;
  }
  const auto midiBytes = readFile(options->midiPath);
  if (!midiBytes) {
    std::cerr << "timeline-check: cannot read " << options->midiPath << "\n";
    return 2;
  }
  // Nothing is heard: a hand-driven device needs no sound card and plays the music as fast
  // as the waveform asks for it.
  const auto device = std::make_shared<ostrel::bass::ManualOutputDriver>();
  ostrel::bass::Library::instance().useOutputDriver(device);
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    std::cerr << "timeline-check: the audio library does not start (error "
              << BASS_ErrorGetCode() << ")\n";
    return 2;
  }
  HSTREAM audio = 0;
  if (!options->audioPath.empty() && !(audio = openAudio(options->audioPath))) {
    std::cerr << "timeline-check: cannot read the audio file " << options->audioPath
              << " (error " << BASS_ErrorGetCode() << ")\n";
    BASS_Free();
    return 2;
  }
  const QWORD audioBytes = audio ? BASS_ChannelGetLength(audio, BASS_POS_BYTE) : 0;

  const auto report =
      ostrel::checkTimeline(options->midiPath, *midiBytes, audioBytes, ostrel::Resources());
  ostrel::printTimelineReport(report, std::cout, isatty(STDOUT_FILENO));
  bool drawn = true;
  if (!options->plotPath.empty()) {
    const auto waveform = audio ? ostrel::Waveform::decode(*device, audio) : ostrel::Waveform();
    drawn = drawPlot(report, waveform, options->plotPath);
  }
  BASS_Free();
  if (!drawn) {
    return 2;
  }
  return report.runWouldFail() ? 1 : 0;
}
