// Initialisation, loading, rewinding and the diagnostics of the audio manager.
#include "audio/AudioManager.h"

#include "bass/CallGuard.h"
#include "bass/bassmidi.h"
#include "registry/DemoLogger.h"

#include <vector>

namespace ostrel {

AudioManager* audioManagerInstance = nullptr;

namespace {

// UTF-8 of a wide string: UTF-16 on Windows, UTF-32 elsewhere; a broken surrogate becomes
// U+FFFD.
std::string toUtf8(const std::wstring& text) {
  std::string result;
  auto append = [&result](char32_t code) {
    if (code < 0x80) {
      result += static_cast<char>(code);
    } else if (code < 0x800) {
      result += static_cast<char>(0xC0 | code >> 6);
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      result += static_cast<char>(0xE0 | code >> 12);
      result += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      result += static_cast<char>(0xF0 | code >> 18);
      result += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      result += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    }
  };
  for (std::size_t index = 0; index < text.size(); ++index) {
    char32_t code = static_cast<char32_t>(text[index]);
    if (code >= 0xD800 && code < 0xDC00 && index + 1 < text.size() &&
        text[index + 1] >= 0xDC00 && text[index + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char32_t>(text[++index]) - 0xDC00);
    } else if ((code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) {
      code = 0xFFFD;
    }
    append(code);
  }
  return result;
}

}  // namespace

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
  // The marker timeline's MidiEvents is created here on midiStream.
  audio = std::make_unique<AudioManagerAudio>(audioStream);
  midi = std::make_unique<AudioManagerMidi>(midiStream);
  // The marker timeline's extendLastMarker runs here.
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

}  // namespace ostrel
