// Initialisation, device listing and stream registration.
#include "bass/Library.h"

#include "bass/AudioFormat.h"

namespace ostrel::bass {

Library& Library::instance() {
  static Library library;
  return library;
}

OutputDriver& Library::driver() {
  if (!outputDriver) {
    outputDriver = makeSystemOutputDriver();
  }
  return *outputDriver;
}

void Library::useOutputDriver(std::shared_ptr<OutputDriver> driver) {
  std::lock_guard lock(mutex);
  if (device) {
    throw BassError(BASS_ERROR_ALREADY, "the output driver cannot change while a device is open");
  }
  outputDriver = std::move(driver);
  devices.clear();
  devicesListed = false;
}

void Library::init(int deviceNumber, DWORD frequency) {
  std::lock_guard lock(mutex);
  if (device) {
    throw BassError(BASS_ERROR_ALREADY, "the library is already initialised");
  }
  if (frequency != kSampleRate) {
    throw BassError(BASS_ERROR_ILLPARAM, "output runs at 44100 Hz only");
  }
  if (deviceNumber < -1) {
    throw BassError(BASS_ERROR_DEVICE, "there is no output device " + std::to_string(deviceNumber));
  }
  auto newMixer = std::make_unique<Mixer>();
  device = driver().open(deviceNumber, *newMixer);
  mixer = std::move(newMixer);
}

void Library::free() {
  std::unique_ptr<OutputDevice> closing;
  std::unique_ptr<Mixer> freed;
  {
    std::lock_guard lock(mutex);
    if (!device) {
      throw BassError(BASS_ERROR_INIT, "the library is not initialised");
    }
    closing = std::move(device);
    freed = std::move(mixer);
    devices.clear();
    devicesListed = false;
  }
  closing.reset();  // stops the device's thread before the streams go
  freed.reset();
}

bool Library::isInitialized() {
  std::lock_guard lock(mutex);
  return device != nullptr;
}

const OutputDeviceInfo& Library::deviceInfo(DWORD number) {
  std::lock_guard lock(mutex);
  if (!devicesListed) {
    devices = driver().listDevices();
    devicesListed = true;
  }
  if (number == 0 || number > devices.size()) {
    throw BassError(BASS_ERROR_DEVICE, "there is no output device " + std::to_string(number));
  }
  return devices[number - 1];
}

DWORD Library::addStream(std::unique_ptr<Stream> stream) {
  std::lock_guard lock(mutex);
  if (!mixer) {
    throw BassError(BASS_ERROR_INIT, "the library is not initialised");
  }
  const DWORD handle = ++lastHandle;
  mixer->add(handle, std::move(stream));
  return handle;
}

}  // namespace ostrel::bass
