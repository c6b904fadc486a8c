// timeline-check: checks a timeline MIDI file against the production's authoring rules and
// prints its sections, its effect blocks and every problem found.
//
//   timeline-check [--audio AUDIO.ogg] TIMELINE.mid
//
// Exit status: 0 when a run of the production would succeed, 1 when it would fail, 2 when
// the files cannot be read.
#include "bass/bass.h"
#include "registry/Resources.h"
#include "tools/timeline-check/ReportPrinter.h"
#include "tools/timeline-check/TimelineChecker.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

std::optional<std::vector<std::uint8_t>> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The audio's length in bytes of the decoded stream, as the program measures it.
std::optional<QWORD> audioLength(const std::vector<std::uint8_t>& file) {
  const HSTREAM stream = BASS_StreamCreateFile(TRUE, file.data(), 0, file.size(), 0);
  if (!stream) {
    return std::nullopt;
  }
  return BASS_ChannelGetLength(stream, BASS_POS_BYTE);
}

int usage() {
  std::cerr << "usage: timeline-check [--audio AUDIO.ogg] TIMELINE.mid\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string midiPath;
  std::string audioPath;
  for (int index = 1; index < argc; ++index) {
    const std::string argument = argv[index];
    if (argument == "--audio" && index + 1 < argc) {
      audioPath = argv[++index];
    } else if (!argument.empty() && argument[0] != '-' && midiPath.empty()) {
      midiPath = argument;
    } else {
      return usage();
    }
  }
  if (midiPath.empty()) {
    return usage();
  }

  const auto midiBytes = readFile(midiPath);
  if (!midiBytes) {
    std::cerr << "timeline-check: cannot read " << midiPath << "\n";
    return 2;
  }
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    std::cerr << "timeline-check: the audio library does not start (error "
              << BASS_ErrorGetCode() << ")\n";
    return 2;
  }
  QWORD audioBytes = 0;
  if (!audioPath.empty()) {
    const auto audioFile = readFile(audioPath);
    const auto length = audioFile ? audioLength(*audioFile) : std::nullopt;
    if (!length) {
      std::cerr << "timeline-check: cannot read the audio file " << audioPath << " (error "
                << BASS_ErrorGetCode() << ")\n";
      BASS_Free();
      return 2;
    }
    audioBytes = *length;
  }

  const auto report = ostrel::checkTimeline(midiPath, *midiBytes, audioBytes, ostrel::Resources());
  ostrel::printTimelineReport(report, std::cout, isatty(STDOUT_FILENO));
  BASS_Free();
  return report.runWouldFail() ? 1 : 0;
}
