// What the timeline checker found: the sections in play order, the blocks of each named
// track, and every breach of the authoring rules, each with where it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

struct TimelineReport {
  struct Section {
    std::string marker;
    std::uint64_t start = 0;   // bytes of the stream
    std::uint64_t length = 0;  // bytes, to the next marker
    std::string barBeat;
    std::string sceneKey;  // empty: the registry shows nothing for it
    std::string camera;
    double animationStart = 0;  // 0..1, the stretch of the scene's animation it plays
    double animationEnd = 0;
  };

  struct ParameterValue {
    std::string name;
    int velocity = 0;  // 1..127
  };

  struct Block {
    std::uint64_t start = 0;  // bytes
    std::uint64_t end = 0;
    std::string barBeat;
    std::vector<ParameterValue> parameters;  // by name

    bool hasParameter(const std::string& name) const {
      for (const ParameterValue& parameter : parameters) {
        if (parameter.name == name) {
          return true;
        }
      }
      return false;
    }
  };

  struct Track {
    std::string name;
    std::uint32_t number = 0;
    bool isEffectTrack = false;
    std::vector<Block> blocks;
  };

  enum class Severity { Warning, Error };

  struct Finding {
    Severity severity = Severity::Error;
    std::string track;         // empty for findings about markers or the whole file
    std::uint64_t position = 0;  // bytes
    std::string barBeat;
    std::string note;          // the note concerned ("D#0"), if any
    std::string message;
  };

  std::string midiFile;
  std::uint16_t ticksPerQuarter = 0;
  double tempoBpm = 0;  // at the start
  std::uint64_t midiLength = 0;   // bytes
  std::uint64_t audioLength = 0;  // bytes; 0 when no audio file was given
  std::vector<std::uint64_t> barStarts;  // bytes; where each bar begins, bar 1 first
  std::vector<Section> sections;
  std::vector<Track> tracks;
  std::vector<Finding> findings;  // by position

  bool runWouldFail() const {
    for (const Finding& finding : findings) {
      if (finding.severity == Severity::Error) {
        return true;
      }
    }
    return false;
  }
};

}  // namespace ostrel
