// The production's sound: the audio library on the default output device, the song's
// compressed audio (what is heard) and its MIDI file (the timeline) as two streams, their
// start, rewind and position. One per process, reached through audioManagerInstance.
#pragma once

#include "audio/AudioManagerAudio.h"
#include "audio/AudioManagerMidi.h"
#include "audio/Marker.h"
#include "audio/MidiEvents.h"
#include "bass/bass.h"

#include <spdlog/spdlog.h>

#include <cstdint>
#include <memory>
#include <string>

namespace ostrel {

class AudioManager {
public:
  // windowHandle: the main window (a HWND on Windows), kept but not given to the library.
  // Initialises the library at once; initialized says whether sound is available.
  explicit AudioManager(void* windowHandle);
  virtual ~AudioManager();
  AudioManager(const AudioManager&) = delete;
  AudioManager& operator=(const AudioManager&) = delete;

  // Opens the library on the default output device; on failure logs why, and for "no
  // device" (23) the devices the system has.
  void init();
  // Opens the audio file and then the MIDI file (paths relative to the working directory)
  // and makes the two channel wrappers. False, with a critical message, when either cannot
  // be opened; the MIDI file is not tried after the audio file failed.
  bool loadFiles(std::wstring audioFileName, std::wstring midiFileName);
  // Puts both streams at their start, the MIDI stream at the audio stream's position;
  // returns that position in bytes.
  QWORD rewind();

  // Moves the last marker to at least the audio's length, so that the last section lasts
  // until the music ends even when the MIDI file is shorter than the recording.
  void extendLastMarker();
  // How far the music has advanced from the marker in force to the next one, 0..1.
  double getNormalizedPosition();
  // The same between two given markers: 0 without from, 1 without to. Throws
  // std::runtime_error when from lies after to.
  double getNormalizedPositionForMarkers(const Marker* from, const Marker* to) const;

  std::shared_ptr<spdlog::logger> logger;
  void* windowHandle;
  std::uint32_t frequency = 44100;  // output rate and the MIDI stream's sample rate
  std::uint32_t initFlags = 0;
  std::int32_t outputDevice = -1;   // the default device
  bool initialized = false;
  HSTREAM audioStream = 0;
  HSTREAM midiStream = 0;
  // The timeline's marks, read from midiStream once it opens.
  std::unique_ptr<MidiEvents> midiEvents;
  std::unique_ptr<AudioManagerAudio> audio;
  std::unique_ptr<AudioManagerMidi> midi;

private:
  void logLibraryError();
  void listDevices();
};

// The one audio manager of the process, set by the start-up.
extern AudioManager* audioManagerInstance;

}  // namespace ostrel
