// Initialisation, loading, rewinding and the diagnostics of the audio manager.
#include "audio/AudioManager.h"

#include "audio/NormalizedPosition.h"
#include "bass/CallGuard.h"
#include "bass/bassmidi.h"
#include "registry/DemoLogger.h"
#include "registry/TextConversion.h"

#include <vector>

namespace ostrel {

AudioManager* audioManagerInstance = nullptr;


AudioManager::AudioManager(void* windowHandle)
    : logger(demoLogger()), windowHandle(windowHandle) {
  init();
}

AudioManager::~AudioManager() {
  BASS_Free();  // also frees both streams
}

void AudioManager::init() {
  if (BASS_Init(outputDevice, frequency, initFlags, nullptr, nullptr)) {
    initialized = true;
    return;
  }
  const int error = BASS_ErrorGetCode();
  logger->critical("Unable to initialize BASS Sound System! Error code: {}", error);
  if (error == BASS_ERROR_DEVICE) {
    logger->warn("BASS_ERROR_DEVICE was returned, no default device initialized. Trying others:");
    listDevices();
  }
}

// Diagnostics only: no other device is tried.
void AudioManager::listDevices() {
  std::vector<BASS_DEVICEINFO> enabled;
  BASS_DEVICEINFO info;
  for (DWORD device = 1; BASS_GetDeviceInfo(device, &info); ++device) {
    if (info.flags & BASS_DEVICE_ENABLED) {
      enabled.push_back(info);
    }
  }
  logger->info("Found total {} devices.", enabled.size());
  for (const BASS_DEVICEINFO& device : enabled) {
    logger->info("Found device: '{}' ({}), flags: {} ", device.name, device.driver, device.flags);
  }
}

bool AudioManager::loadFiles(std::wstring audioFileName, std::wstring midiFileName) {
  const std::string audioName = toUtf8(audioFileName);
  const std::string midiName = toUtf8(midiFileName);
  logger->info("Reading audio ({}) and MIDI ({}) files", audioName, midiName);

  audioStream = BASS_StreamCreateFile(FALSE, audioFileName.c_str(), 0, 0, BASS_UNICODE);
  if (!audioStream) {
    logger->critical("Unable to read the audio file: {}", audioName);
    logLibraryError();
    return false;
  }
  midiStream = BASS_MIDI_StreamCreateFile(FALSE, midiFileName.c_str(), 0, 0, BASS_UNICODE,
                                          frequency);
  if (!midiStream) {
    logger->critical("Unable to read the MIDI file: {}", midiName);
    logLibraryError();
    return false;
  }
  midiEvents = std::make_unique<MidiEvents>(midiStream);
  audio = std::make_unique<AudioManagerAudio>(audioStream);
  midi = std::make_unique<AudioManagerMidi>(midiStream);
  extendLastMarker();
  return true;
}

// What the library found wrong, for whoever reads the log after the critical line.
void AudioManager::logLibraryError() {
  logger->debug("BASS error {}: {}", BASS_ErrorGetCode(), bass::lastErrorText());
}

QWORD AudioManager::rewind() {
  logger->debug("Setting audio/midi position: {}", QWORD{0});
  BASS_ChannelSetPosition(audioStream, 0, BASS_POS_BYTE);
  const QWORD position = BASS_ChannelGetPosition(audioStream, BASS_POS_BYTE);
  BASS_ChannelSetPosition(midiStream, position, BASS_POS_BYTE);
  BASS_ChannelGetPosition(midiStream, BASS_POS_BYTE);
  return position;
}

void AudioManager::extendLastMarker() {
  midiEvents->extendLastMarkerTo(DWORD(BASS_ChannelGetLength(audioStream, BASS_POS_BYTE)));
}

double AudioManager::getNormalizedPosition() {
  const QWORD position = BASS_ChannelGetPosition(audioStream, BASS_POS_BYTE);
  return getNormalizedPositionForMarkers(midiEvents->getMarkerAt(position),
                                         midiEvents->getNextMarker(position));
}

// The position is read again here: the music moves on while the markers are looked up.
double AudioManager::getNormalizedPositionForMarkers(const Marker* from, const Marker* to) const {
  return normalizedPositionBetween(from, to, BASS_ChannelGetPosition(audioStream, BASS_POS_BYTE));
}

}  // namespace ostrel
