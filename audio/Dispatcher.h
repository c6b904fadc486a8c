// Turns the notes of the timeline's named tracks into effect blocks and their parameters.
// On each named track, key-0 notes mark blocks (time spans of the track's effect); every
// other note is a parameter of the block that starts at or after it: its key names the
// parameter through the track's mapping, its velocity is the value.
#pragma once

#include "audio/Block.h"
#include "audio/Marker.h"
#include "audio/Note.h"
#include "registry/Resources.h"

#include <spdlog/spdlog.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

class AudioManager;
class MidiEvents;

class Dispatcher {
public:
  // Reads the timeline of the process's audio manager.
  Dispatcher();
  // Reads the timeline of the given mark store (tools and tests).
  explicit Dispatcher(MidiEvents* midiEvents);

  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  // Must be given before the blocks are read: without it every parameter is "???".
  void setTrackParameterMapping(const Resources::TrackParameterMapping& mapping);

  // Every block of every named track between the first and the last marker. Throws
  // std::runtime_error for a parameter note after the last block start of its track.
  std::vector<Block*> getBlocks();
  std::vector<Block*> collectBlocks(const Marker* first, const Marker* last);
  std::map<DWORD, Block*> scanTrack(DWORD trackNameIndex, const Marker* from, const Marker* to);
  std::unique_ptr<Parameter> createParameter(const Note& note, const std::string& trackName);

  // The blocks whose span (both ends included) holds position, in the order given.
  std::vector<Block*> getActiveBlocks(DWORD position, std::vector<Block*> blocks) const;

  // Note pairing, one event of the track being scanned at a time.
  void handleNote(const BASS_MIDI_EVENT* event);
  void handleNoteOn(const BASS_MIDI_EVENT* event, DWORD key);
  void handleNoteOff(const BASS_MIDI_EVENT* event, DWORD key);

  // Closed notes of the last track scanned, by key and start position.
  const std::map<DWORD, std::map<DWORD, std::unique_ptr<Note>>>& getTrackNotes() const {
    return trackNotes;
  }
  // Notes of the last track scanned that were never released.
  const std::map<DWORD, std::unique_ptr<Note>>& getActiveTrackNotes() const {
    return activeTrackNotes;
  }

private:
  const std::vector<BASS_MIDI_EVENT>& readTrackEvents(DWORD track);
  void handleEventsInRange(const std::vector<BASS_MIDI_EVENT>& events, const Marker* from,
                           const Marker* to);
  void createBlocks(const std::string& trackName, std::map<DWORD, Block*>& blocks);
  void placeParameters(const std::string& trackName, std::map<DWORD, Block*>& blocks);

  std::shared_ptr<spdlog::logger> logger;
  AudioManager* audioManager = nullptr;
  MidiEvents* midiEvents;
  std::map<DWORD, std::unique_ptr<Note>> activeTrackNotes;
  std::map<DWORD, std::map<DWORD, std::unique_ptr<Note>>> trackNotes;
  Resources::TrackParameterMapping trackParameterMapping;

  // What parameters and blocks point into lives as long as the dispatcher.
  std::vector<std::vector<BASS_MIDI_EVENT>> trackEvents;
  std::vector<std::unique_ptr<Block>> ownedBlocks;
};

}  // namespace ostrel
