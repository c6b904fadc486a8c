// The checks of a timeline file.
#include "tools/timeline-check/TimelineChecker.h"

#include "audio/Dispatcher.h"
#include "audio/MidiEvents.h"
#include "audio/MusicalClock.h"
#include "audio/NoteEvent.h"
#include "audio/NoteName.h"
#include "bass/BassError.h"
#include "bass/MidiFileReader.h"
#include "bass/bassmidi.h"
#include "demo/BlockHandler.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

namespace ostrel {
namespace {

using Severity = TimelineReport::Severity;

constexpr DWORD kBlockKey = 0;

class Checker {
public:
  Checker(const std::string& midiName, std::span<const std::uint8_t> midiBytes,
          std::uint64_t audioLength, const Resources& resources)
      : bytes(midiBytes), resources(resources) {
    report.midiFile = midiName;
    report.audioLength = audioLength;
  }

  TimelineReport run() {
    if (!readFile()) {
      return report;
    }
    describeFile();
    checkSections();
    for (DWORD index = 0; index < midiEvents->getTrackNameCount(); ++index) {
      checkTrack(midiEvents->getTrackNames()[index]);
    }
    crossCheckWithTheProgramsScan();
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const auto& a, const auto& b) { return a.position < b.position; });
    return report;
  }

private:
  bool readFile() {
    try {
      file = bass::MidiFileReader::read(bytes);
    } catch (const bass::BassError& error) {
      addFinding(Severity::Error, "", 0, "", std::string("not a readable MIDI file: ") + error.what());
      return false;
    }
    stream = BASS_MIDI_StreamCreateFile(TRUE, bytes.data(), 0, bytes.size(), 0, 44100);
    if (!stream) {
      addFinding(Severity::Error, "", 0, "",
                 fmt::format("the audio library cannot open it (error {})", BASS_ErrorGetCode()));
      return false;
    }
    clock.emplace(file);
    midiEvents = std::make_unique<MidiEvents>(stream);
    // As the program does once the audio is loaded: the last section reaches its end.
    midiEvents->extendLastMarkerTo(DWORD(report.audioLength));
    return true;
  }

  void describeFile() {
    report.ticksPerQuarter = file.ticksPerQuarter;
    const double secondsPerQuarter = file.tempoMap.secondsAt(file.ticksPerQuarter);
    report.tempoBpm = secondsPerQuarter > 0 ? 60.0 / secondsPerQuarter : 0;
    report.midiLength = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
    const std::uint64_t endTick =
        clock->tickAtByte(std::max(report.midiLength, report.audioLength)) + 1;
    for (const std::uint64_t tick : clock->barStartTicks(endTick)) {
      report.barStarts.push_back(clock->byteAtTick(tick));
    }
  }

  void checkSections() {
    const DWORD count = midiEvents->getMarkerCount();
    const Marker* markers = midiEvents->getMarkers();
    for (DWORD index = 0; index < count; ++index) {
      const Marker& marker = markers[index];
      const Marker* next = index + 1 < count ? &markers[index + 1] : nullptr;
      addSection(marker, next);
      if (next && next->pos < marker.pos) {
        addFinding(Severity::Error, "", marker.pos, "",
                   fmt::format("marker '{}' lies after the next one, '{}': the run stops with "
                               "\"... happens at the same time or later than ...\"",
                               marker.text, next->text));
      } else if (next && next->pos == marker.pos) {
        addFinding(Severity::Warning, "", marker.pos, "",
                   fmt::format("marker '{}' is never shown: '{}' starts at the same position",
                               marker.text, next->text));
      }
    }
  }

  void addSection(const Marker& marker, const Marker* next) {
    TimelineReport::Section section;
    section.marker = marker.text;
    section.start = marker.pos;
    section.length = next && next->pos > marker.pos ? next->pos - marker.pos : 0;
    section.barBeat = clock->barBeatAtByte(marker.pos);
    const auto scene = resources.markerScenes.find(section.marker);
    if (scene != resources.markerScenes.end() && !scene->second.sceneKey.empty()) {
      section.sceneKey = scene->second.sceneKey;
      section.camera = scene->second.camera;
      section.animationStart = scene->second.start;
      section.animationEnd = scene->second.end;
      if (!resources.scenes.count(section.sceneKey)) {
        addFinding(Severity::Warning, "", marker.pos, "",
                   fmt::format("marker '{}' shows scene '{}', which has no file in the registry",
                               section.marker, section.sceneKey));
      }
    } else {
      addFinding(Severity::Warning, "", marker.pos, "",
                 fmt::format("marker '{}' has no scene in the registry: its section shows only "
                             "the cleared background",
                             section.marker));
    }
    if (report.audioLength && next && marker.pos >= report.audioLength) {
      addFinding(Severity::Warning, "", marker.pos, "",
                 fmt::format("marker '{}' lies after the end of the music: never shown",
                             section.marker));
    }
    report.sections.push_back(std::move(section));
  }

  void checkTrack(const Marker& trackName) {
    TimelineReport::Track track;
    track.name = trackName.text;
    track.number = trackName.track;
    const auto mapping = resources.trackParameterMapping.find(track.name);
    track.isEffectTrack = mapping != resources.trackParameterMapping.end();
    if (!track.isEffectTrack) {
      addFinding(Severity::Warning, track.name, 0, "",
                 "a named track that is not an effect track: its notes are read as effect "
                 "parameters (leave musical tracks unnamed or out of this file)");
    }

    const auto events = readNoteEvents(stream, track.number);
    Dispatcher pairing(nullptr);
    feedNotesInRange(track.name, events, pairing);
    reportUnreleasedNotes(track.name, pairing);

    std::map<DWORD, TimelineReport::Block> blocks = blocksOf(pairing);
    placeParameters(track.name, pairing, blocks,
                    track.isEffectTrack ? &mapping->second : nullptr);
    checkCompleteness(track.name, blocks);
    for (auto& [start, block] : blocks) {
      track.blocks.push_back(std::move(block));
    }
    report.tracks.push_back(std::move(track));
  }

  // The program reads only the notes between the first and the last marker.
  void feedNotesInRange(const std::string& trackName, const std::vector<BASS_MIDI_EVENT>& events,
                        Dispatcher& pairing) {
    const Marker* markers = midiEvents->getMarkers();
    const DWORD first = markers[0].pos;
    const DWORD last = markers[midiEvents->getMarkerCount() - 1].pos;
    for (const BASS_MIDI_EVENT& event : events) {
      if (event.pos >= first && event.pos <= last) {
        pairing.handleNote(&event);
      } else if (noteVelocity(event) > 0) {
        addFinding(Severity::Warning, trackName, event.pos, noteName(noteKey(event)),
                   "a note outside the markers' range: ignored");
      }
    }
  }

  void reportUnreleasedNotes(const std::string& trackName, const Dispatcher& pairing) {
    for (const auto& [key, note] : pairing.getActiveTrackNotes()) {
      addFinding(Severity::Warning, trackName, note->getPosition(), note->getKeyName(),
                 key == kBlockKey ? "a block note that is never released: there is no block"
                                  : "a note that is never released: it takes no part");
    }
  }

  std::map<DWORD, TimelineReport::Block> blocksOf(const Dispatcher& pairing) {
    std::map<DWORD, TimelineReport::Block> blocks;
    const auto& notes = pairing.getTrackNotes();
    const auto descriptors = notes.find(kBlockKey);
    if (descriptors == notes.end()) {
      return blocks;
    }
    for (const auto& [start, note] : descriptors->second) {
      TimelineReport::Block block;
      block.start = start;
      block.end = std::uint64_t(start) + note->length;
      block.barBeat = clock->barBeatAtByte(start);
      blocks[start] = block;
    }
    return blocks;
  }

  void placeParameters(const std::string& trackName, const Dispatcher& pairing,
                       std::map<DWORD, TimelineReport::Block>& blocks,
                       const Resources::NoteParameterMap* mapping) {
    for (const auto& [key, notes] : pairing.getTrackNotes()) {
      if (key == kBlockKey) {
        continue;
      }
      for (const auto& [position, note] : notes) {
        const std::string name = parameterName(trackName, *note, mapping);
        const auto owner = blocks.lower_bound(position);
        if (owner == blocks.end()) {
          addFinding(Severity::Error, trackName, position, note->getKeyName(),
                     fmt::format("parameter '{}' lies after the last block start of its track: "
                                 "start-up ends with \"Unable to find a Block this Parameter "
                                 "belongs to!\"",
                                 name));
          continue;
        }
        addParameter(trackName, *note, name, owner->second);
      }
    }
  }

  std::string parameterName(const std::string& trackName, const Note& note,
                            const Resources::NoteParameterMap* mapping) {
    if (mapping) {
      const auto found = mapping->find(note.getKeyName());
      if (found != mapping->end() && !found->second.empty()) {
        return found->second;
      }
    }
    addFinding(Severity::Warning, trackName, note.getPosition(), note.getKeyName(),
               fmt::format("names no parameter of track '{}': read as \"???\" and ignored",
                           trackName));
    return "???";
  }

  void addParameter(const std::string& trackName, const Note& note, const std::string& name,
                    TimelineReport::Block& block) {
    auto& parameters = block.parameters;
    const auto same = std::find_if(parameters.begin(), parameters.end(),
                                   [&](const auto& parameter) { return parameter.name == name; });
    if (same != parameters.end()) {
      addFinding(Severity::Warning, trackName, note.getPosition(), note.getKeyName(),
                 fmt::format("a second value for '{}' of the block at {}: this later one stands",
                             name, block.barBeat));
      same->velocity = int(note.getVelocity());
      return;
    }
    parameters.push_back({name, int(note.getVelocity())});
    std::sort(parameters.begin(), parameters.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
  }

  // The rule the program holds its timeline to at start-up.
  void checkCompleteness(const std::string& trackName,
                         const std::map<DWORD, TimelineReport::Block>& blocks) {
    for (const auto& [start, block] : blocks) {
      const std::vector<std::string> missing = missingParameters(
          trackName, [&](const std::string& name) { return block.hasParameter(name); });
      if (!missing.empty()) {
        addFinding(Severity::Error, trackName, start, "C-0",
                   fmt::format("the block misses {}: the run stops with \"invalid map<K, T> "
                               "key\" when the block becomes active",
                               fmt::join(missing, ", ")));
      }
    }
  }

  // The program's own scan is the final word on whether start-up succeeds.
  void crossCheckWithTheProgramsScan() {
    Dispatcher dispatcher(midiEvents.get());
    dispatcher.setTrackParameterMapping(resources.trackParameterMapping);
    try {
      dispatcher.getBlocks();
    } catch (const std::exception& error) {
      if (!report.runWouldFail()) {
        addFinding(Severity::Error, "", 0, "",
                   fmt::format("the program's own scan of the tracks fails: {}", error.what()));
      }
    }
  }

  void addFinding(Severity severity, const std::string& track, std::uint64_t position,
                  const std::string& note, std::string message) {
    report.findings.push_back({severity, track, position,
                               clock ? clock->barBeatAtByte(position) : std::string(), note,
                               std::move(message)});
  }

  std::span<const std::uint8_t> bytes;
  const Resources& resources;
  TimelineReport report;
  bass::MidiFile file;
  std::optional<MusicalClock> clock;
  HSTREAM stream = 0;
  std::unique_ptr<MidiEvents> midiEvents;
};

}  // namespace

TimelineReport checkTimeline(const std::string& midiName, std::span<const std::uint8_t> midiBytes,
                             std::uint64_t audioLength, const Resources& resources) {
  return Checker(midiName, midiBytes, audioLength, resources).run();
}

}  // namespace ostrel
