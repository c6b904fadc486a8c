// Scanning the named tracks into blocks and parameters, and choosing the active blocks.
#include "audio/Dispatcher.h"

#include "audio/AudioManager.h"
#include "audio/MidiEvents.h"
#include "audio/NoteEvent.h"
#include "audio/NoteName.h"
#include "registry/DemoLogger.h"

#include <stdexcept>

namespace ostrel {
namespace {

constexpr DWORD kBlockDescriptorKey = 0;

}  // namespace

Dispatcher::Dispatcher()
    : logger(demoLogger()),
      audioManager(audioManagerInstance),
      midiEvents(audioManagerInstance->midiEvents.get()) {}

Dispatcher::Dispatcher(MidiEvents* midiEvents) : logger(demoLogger()), midiEvents(midiEvents) {}

void Dispatcher::setTrackParameterMapping(const Resources::TrackParameterMapping& mapping) {
  trackParameterMapping = mapping;
}

std::vector<Block*> Dispatcher::getBlocks() {
  const DWORD count = midiEvents->getMarkerCount();
  const Marker* markers = midiEvents->getMarkers();
  if (count == 0) {
    return {};
  }
  return collectBlocks(&markers[0], &markers[count - 1]);
}

std::vector<Block*> Dispatcher::collectBlocks(const Marker* first, const Marker* last) {
  std::vector<Block*> blocks;
  const DWORD trackCount = midiEvents->getTrackNameCount();
  for (DWORD index = 0; index < trackCount; ++index) {
    for (const auto& [start, block] : scanTrack(index, first, last)) {
      blocks.push_back(block);
    }
  }
  return blocks;
}

std::map<DWORD, Block*> Dispatcher::scanTrack(DWORD trackNameIndex, const Marker* from,
                                              const Marker* to) {
  std::map<DWORD, Block*> blocks;
  if (trackParameterMapping.empty()) {
    logger->critical(
        "No mappings between tracks and notes defined! Please use "
        "Dispatcher::setTrackParameterMapping().");
  }
  const Marker& trackName = midiEvents->getTrackNames()[trackNameIndex];
  const std::string name = trackName.text;
  const std::vector<BASS_MIDI_EVENT>& events = readTrackEvents(trackName.track);

  activeTrackNotes.clear();
  trackNotes.clear();
  logger->debug("Searching track '{}' for blocks/parameters in range: [{}..{}] ['{}'..'{}']",
                name, from->pos, to->pos, from->text, to->text);
  handleEventsInRange(events, from, to);
  createBlocks(name, blocks);
  placeParameters(name, blocks);
  return blocks;
}

const std::vector<BASS_MIDI_EVENT>& Dispatcher::readTrackEvents(DWORD track) {
  trackEvents.push_back(readNoteEvents(midiEvents->getMidiStream(), track));
  return trackEvents.back();
}

void Dispatcher::handleEventsInRange(const std::vector<BASS_MIDI_EVENT>& events,
                                     const Marker* from, const Marker* to) {
  for (const BASS_MIDI_EVENT& event : events) {
    if (event.pos < from->pos || event.pos > to->pos) {
      logger->trace("Skipping note out of block range: {}", midiEvents->describeNote(&event));
    } else {
      handleNote(&event);
    }
  }
}

// Key 0 sorts first, so every block of the track exists before a parameter is placed.
void Dispatcher::createBlocks(const std::string& trackName, std::map<DWORD, Block*>& blocks) {
  const auto descriptors = trackNotes.find(kBlockDescriptorKey);
  if (descriptors == trackNotes.end()) {
    return;
  }
  logger->trace("Block descriptor detected!");
  for (const auto& [position, note] : descriptors->second) {
    auto block = std::make_unique<Block>();
    block->name = trackName;
    block->start = note->getPosition();
    block->end = block->start + note->length;
    block->length = block->end - block->start;
    logger->debug("Found block '{}': [{}..{}]", trackName, block->start, block->end);
    blocks[position] = block.get();
    ownedBlocks.push_back(std::move(block));
  }
}

// A parameter belongs to the first block that starts at or after it.
void Dispatcher::placeParameters(const std::string& trackName, std::map<DWORD, Block*>& blocks) {
  for (const auto& [key, notes] : trackNotes) {
    if (key == kBlockDescriptorKey) {
      continue;
    }
    for (const auto& [position, note] : notes) {
      std::unique_ptr<Parameter> parameter = createParameter(*note, trackName);
      const auto owner = blocks.lower_bound(position);
      if (owner == blocks.end()) {
        throw std::runtime_error("Unable to find a Block this Parameter belongs to!");
      }
      Block& block = *owner->second;
      logger->debug("Adding parameter '{}' ({}) of block '{}@{}' (position={}, value={}, length={})",
                    parameter->name, note->getKeyName(), block.name, block.start,
                    parameter->getPosition(), parameter->value, parameter->length);
      block.parameters[parameter->name] = std::move(parameter);
    }
  }
}

std::unique_ptr<Parameter> Dispatcher::createParameter(const Note& note,
                                                       const std::string& trackName) {
  std::string name = trackParameterMapping[trackName][note.getKeyName()];
  if (name.empty()) {
    name = "???";
  }
  return std::make_unique<Parameter>(std::move(name), note.event, note.length,
                                     std::int32_t(note.getVelocity()));
}

std::vector<Block*> Dispatcher::getActiveBlocks(DWORD position, std::vector<Block*> blocks) const {
  std::vector<Block*> active;
  for (Block* block : blocks) {
    if (block->contains(position)) {
      active.push_back(block);
    }
  }
  return active;
}

void Dispatcher::handleNote(const BASS_MIDI_EVENT* event) {
  const DWORD key = noteKey(*event);
  const DWORD velocity = noteVelocity(*event);
  logger->trace("-- Note {} found, noteEvent->pos = {}, noteEvent->velocity = {}", noteName(key),
                event->pos, velocity);
  if (velocity >= 1 && velocity <= 127) {
    handleNoteOn(event, key);
  } else if (velocity == 0) {
    logger->trace("* noteOff from OFF");
    handleNoteOff(event, key);
  }
}

void Dispatcher::handleNoteOn(const BASS_MIDI_EVENT* event, DWORD key) {
  logger->trace("handleNoteOn:");
  logger->trace("*noteOff from ON");
  handleNoteOff(event, key);
  auto note = std::make_unique<Note>(event);
  logger->trace("handleNoteOn: activeTrackNotes[{}] = [velocity: {}, position: {}, length: {}]",
                key, note->getVelocity(), note->getPosition(), note->length);
  activeTrackNotes[key] = std::move(note);
}

void Dispatcher::handleNoteOff(const BASS_MIDI_EVENT* event, DWORD key) {
  const auto open = activeTrackNotes.find(key);
  if (open == activeTrackNotes.end()) {
    return;
  }
  Note& note = *open->second;
  if (note.getPosition() >= event->pos) {
    return;  // a release at or before its note-on leaves the note open
  }
  logger->trace("handleNoteOff: executed!");
  logger->trace("handleNoteOff: activeTrackNotes[{}] = [ velocity: {}, position: {}, length: {} ]",
                key, note.getVelocity(), note.getPosition(), note.length);
  logger->trace("activeTrackNotes[key]->setLengthFromEndPos(noteEvent->pos);");
  note.setLengthFromEndPos(event->pos);
  logger->trace(
      "handleNoteOff: activeTrackNotes[{}] = [ velocity: {}, position: {}, length: {} = "
      "noteEvent->pos - actNote->pos ]",
      key, note.getVelocity(), note.getPosition(), note.length);
  std::unique_ptr<Note> closed = std::move(open->second);
  activeTrackNotes.erase(open);
  logger->trace("this->trackNotes[note->getKey()][note->getPosition()] = note;");
  logger->trace("Adding note to trackNotes[{}][{}] = note(velocity: {}, position: {}, length: {})",
                key, closed->getPosition(), closed->getVelocity(), closed->getPosition(),
                closed->length);
  trackNotes[key][closed->getPosition()] = std::move(closed);
}

}  // namespace ostrel
