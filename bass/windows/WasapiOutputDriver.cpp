// WASAPI shared-mode output with a smoothed device clock.
#include "bass/windows/WasapiOutputDriver.h"

#include "bass/AudioFormat.h"
#include "bass/BassError.h"
#include "bass/bass.h"

#include <windows.h>

#include <initguid.h>  // defines the interface and property identifiers used below

#include <audioclient.h>
#include <functiondiscoverykeys_devpkey.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <future>
#include <mutex>
#include <thread>

namespace ostrel::bass {
namespace {

using Microsoft::WRL::ComPtr;

constexpr REFERENCE_TIME kBufferDuration = 200000;  // 20 ms in 100 ns units; the system may round up
constexpr DWORD kWakeTimeoutMs = 100;
// The device clock moves in whole periods on some systems (10 ms under Wine): between two
// readings the position is carried on by the performance counter, at most this far.
constexpr std::uint64_t kMaxCarryFrames = kSampleRate * 15 / 1000;
// Some systems' device clock runs slow for a while after the start (Wine's PulseAudio driver
// for up to two seconds, while the sound server settles its latency), which would make
// positions lag the wall clock by as much. Opening waits until the clock keeps pace: two
// windows of 100 ms in a row in which it advances at least 90% of the wall time, or 3 s.
constexpr double kSteadyWindowSeconds = 0.1;
constexpr double kSteadyRate = 0.9;
constexpr int kSteadyWindowsNeeded = 2;
constexpr double kSettleTimeoutSeconds = 3.0;

std::string hresultText(const char* call, HRESULT result) {
  char text[96];
  std::snprintf(text, sizeof text, "%s failed (0x%08lX)", call, static_cast<unsigned long>(result));
  return text;
}

void check(HRESULT result, const char* call, int errorCode = BASS_ERROR_DRIVER) {
  if (FAILED(result)) {
    throw BassError(errorCode, hresultText(call, result));
  }
}

std::string toUtf8(const wchar_t* text) {
  if (!text || !*text) {
    return {};
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.resize(static_cast<std::size_t>(size) - 1);
  return result;
}

std::int64_t performanceCounter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::int64_t performanceFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

// COM for the calling thread, multithreaded, for the thread's lifetime.
class ComApartment {
public:
  ComApartment() : result(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result)) {
      CoUninitialize();
    }
  }
  HRESULT status() const { return result; }

private:
  HRESULT result;
};

struct Endpoint {
  ComPtr<IMMDevice> device;
  OutputDeviceInfo info;
};

std::wstring endpointId(IMMDevice* device) {
  LPWSTR id = nullptr;
  std::wstring result;
  if (SUCCEEDED(device->GetId(&id))) {
    result = id;
    CoTaskMemFree(id);
  }
  return result;
}

std::string friendlyName(IMMDevice* device) {
  ComPtr<IPropertyStore> properties;
  if (FAILED(device->OpenPropertyStore(STGM_READ, &properties))) {
    return {};
  }
  PROPVARIANT value;
  PropVariantInit(&value);
  std::string name;
  if (SUCCEEDED(properties->GetValue(PKEY_Device_FriendlyName, &value)) && value.vt == VT_LPWSTR) {
    name = toUtf8(value.pwszVal);
  }
  PropVariantClear(&value);
  return name;
}

ComPtr<IMMDeviceEnumerator> makeEnumerator() {
  ComPtr<IMMDeviceEnumerator> enumerator;
  check(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                         IID_PPV_ARGS(&enumerator)),
        "CoCreateInstance(MMDeviceEnumerator)", BASS_ERROR_DEVICE);
  return enumerator;
}

// The present render endpoints in the system's order. Call with COM initialised.
std::vector<Endpoint> listEndpoints(IMMDeviceEnumerator* enumerator) {
  std::wstring defaultId;
  ComPtr<IMMDevice> defaultDevice;
  if (SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &defaultDevice))) {
    defaultId = endpointId(defaultDevice.Get());
  }
  ComPtr<IMMDeviceCollection> collection;
  check(enumerator->EnumAudioEndpoints(
            eRender, DEVICE_STATE_ACTIVE | DEVICE_STATE_DISABLED | DEVICE_STATE_UNPLUGGED,
            &collection),
        "EnumAudioEndpoints", BASS_ERROR_DEVICE);
  UINT count = 0;
  collection->GetCount(&count);
  std::vector<Endpoint> endpoints;
  for (UINT index = 0; index < count; ++index) {
    Endpoint endpoint;
    if (FAILED(collection->Item(index, &endpoint.device))) {
      continue;
    }
    DWORD state = 0;
    endpoint.device->GetState(&state);
    const std::wstring id = endpointId(endpoint.device.Get());
    endpoint.info.name = friendlyName(endpoint.device.Get());
    endpoint.info.driver = toUtf8(id.c_str());
    endpoint.info.flags = (state == DEVICE_STATE_ACTIVE ? BASS_DEVICE_ENABLED : 0) |
                          (!defaultId.empty() && id == defaultId ? BASS_DEVICE_DEFAULT : 0);
    endpoints.push_back(std::move(endpoint));
  }
  return endpoints;
}

ComPtr<IMMDevice> findDevice(IMMDeviceEnumerator* enumerator, int number) {
  ComPtr<IMMDevice> device;
  if (number == -1) {
    check(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device),
          "GetDefaultAudioEndpoint", BASS_ERROR_DEVICE);
    return device;
  }
  auto endpoints = listEndpoints(enumerator);
  if (number < 1 || number > static_cast<int>(endpoints.size()) ||
      !(endpoints[number - 1].info.flags & BASS_DEVICE_ENABLED)) {
    throw BassError(BASS_ERROR_DEVICE, "there is no usable output device " + std::to_string(number));
  }
  return endpoints[number - 1].device;
}

class WasapiOutputDevice : public OutputDevice {
public:
  WasapiOutputDevice(int number, FrameSource& source)
      : source(source), counterFrequency(performanceFrequency()) {
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bufferEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::promise<void> opened;
    auto openResult = opened.get_future();
    worker = std::thread([this, number, &opened] { run(number, opened); });
    try {
      openResult.get();
    } catch (...) {
      worker.join();
      closeEvents();
      throw;
    }
  }

  ~WasapiOutputDevice() override {
    SetEvent(stopEvent);
    worker.join();
    closeEvents();
  }

  std::uint64_t playedFrames() override {
    const std::int64_t now = performanceCounter();
    std::lock_guard lock(clockMutex);
    const std::uint64_t elapsed =
        now > anchorCounter ? static_cast<std::uint64_t>(now - anchorCounter) * kSampleRate /
                                  static_cast<std::uint64_t>(counterFrequency)
                            : 0;
    const std::uint64_t carried = deviceLost ? elapsed : std::min(elapsed, kMaxCarryFrames);
    const std::uint64_t estimate = std::min(anchorFrames + carried, writtenFrames);
    lastReported = std::max(lastReported, estimate);
    return lastReported;
  }

private:
  void run(int number, std::promise<void>& opened) {
    ComApartment apartment;
    try {
      check(apartment.status(), "CoInitializeEx");
      open(number);
      opened.set_value();
    } catch (...) {
      release();
      opened.set_exception(std::current_exception());
      return;
    }
    pump();
    client->Stop();
    release();
  }

  void open(int number) {
    const auto enumerator = makeEnumerator();
    const auto device = findDevice(enumerator.Get(), number);
    check(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, &client),
          "IMMDevice::Activate(IAudioClient)");
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = kSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = kBytesPerFrame;
    format.nAvgBytesPerSec = kSampleRate * kBytesPerFrame;
    // The system converts our rate and format to its mix format.
    const DWORD flags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM |
                        AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
    check(client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kBufferDuration, 0, &format, nullptr),
          "IAudioClient::Initialize");
    check(client->SetEventHandle(bufferEvent), "IAudioClient::SetEventHandle");
    check(client->GetBufferSize(&bufferFrames), "IAudioClient::GetBufferSize");
    check(client->GetService(IID_PPV_ARGS(&renderClient)), "IAudioClient::GetService(render)");
    check(client->GetService(IID_PPV_ARGS(&clock)), "IAudioClient::GetService(clock)");
    check(clock->GetFrequency(&clockFrequency), "IAudioClock::GetFrequency");
    if (clockFrequency == 0) {
      throw BassError(BASS_ERROR_DRIVER, "the device clock reports a frequency of 0");
    }
    fill();  // a buffer's worth (silence) before the device starts
    {
      std::lock_guard lock(clockMutex);
      anchorCounter = performanceCounter();
    }
    check(client->Start(), "IAudioClient::Start");
    waitUntilSteady();
  }

  void waitUntilSteady() {
    const auto seconds = [this](std::int64_t ticks) { return double(ticks) / counterFrequency; };
    const std::int64_t start = performanceCounter();
    std::int64_t windowStart = start;
    std::uint64_t windowFrames = 0;
    int steadyWindows = 0;
    while (steadyWindows < kSteadyWindowsNeeded &&
           seconds(performanceCounter() - start) < kSettleTimeoutSeconds) {
      WaitForSingleObject(bufferEvent, kWakeTimeoutMs);
      fill();
      readClock();
      const std::int64_t now = performanceCounter();
      if (seconds(now - windowStart) < kSteadyWindowSeconds) {
        continue;
      }
      const std::uint64_t frames = currentAnchorFrames();
      const double rate = double(frames - windowFrames) / kSampleRate / seconds(now - windowStart);
      steadyWindows = rate >= kSteadyRate ? steadyWindows + 1 : 0;
      windowStart = now;
      windowFrames = frames;
    }
  }

  std::uint64_t currentAnchorFrames() {
    std::lock_guard lock(clockMutex);
    return anchorFrames;
  }

  void pump() {
    const HANDLE events[] = {stopEvent, bufferEvent};
    while (WaitForMultipleObjects(2, events, FALSE, kWakeTimeoutMs) != WAIT_OBJECT_0) {
      if (deviceLostNow()) {
        runOnClock();
        return;
      }
      try {
        fill();
        readClock();
      } catch (const BassError&) {
        markLost();  // unplugged or stopped by the system: go on without it
      }
    }
  }

  // Hands the device as many frames as its buffer has room for.
  void fill() {
    UINT32 padding = 0;
    check(client->GetCurrentPadding(&padding), "IAudioClient::GetCurrentPadding");
    const UINT32 room = bufferFrames - padding;
    if (room == 0) {
      return;
    }
    BYTE* data = nullptr;
    check(renderClient->GetBuffer(room, &data), "IAudioRenderClient::GetBuffer");
    source.render(reinterpret_cast<std::int16_t*>(data), room);
    check(renderClient->ReleaseBuffer(room, 0), "IAudioRenderClient::ReleaseBuffer");
    std::lock_guard lock(clockMutex);
    writtenFrames += room;
  }

  // Takes a new reading of the device clock when it has moved; the time of a reading is when
  // the position was first seen, so that playedFrames can carry it on smoothly.
  void readClock() {
    UINT64 position = 0;
    UINT64 counter100ns = 0;
    check(clock->GetPosition(&position, &counter100ns), "IAudioClock::GetPosition");
    const std::uint64_t frames = position * kSampleRate / clockFrequency;
    std::lock_guard lock(clockMutex);
    if (frames != anchorFrames) {
      anchorFrames = frames;
      anchorCounter = fromHundredNanoseconds(counter100ns);
    }
  }

  // A performance counter value given in 100 ns units, back in counter ticks.
  std::int64_t fromHundredNanoseconds(UINT64 value) const {
    constexpr UINT64 kPerSecond = 10000000;
    const auto frequency = static_cast<UINT64>(counterFrequency);
    return static_cast<std::int64_t>(value / kPerSecond * frequency +
                                     value % kPerSecond * frequency / kPerSecond);
  }

  bool deviceLostNow() {
    std::lock_guard lock(clockMutex);
    return deviceLost;
  }

  void markLost() {
    std::lock_guard lock(clockMutex);
    deviceLost = true;
    anchorFrames = lastReported;
    anchorCounter = performanceCounter();
  }

  // Without a device the streams go on by the clock, silently, so that playback still ends.
  void runOnClock() {
    std::vector<std::int16_t> discarded;
    while (WaitForSingleObject(stopEvent, 5) != WAIT_OBJECT_0) {
      const std::uint64_t target = playedFrames() + kSampleRate / 100;
      std::uint64_t written;
      {
        std::lock_guard lock(clockMutex);
        written = writtenFrames;
      }
      if (target > written) {
        const auto frames = static_cast<std::size_t>(target - written);
        discarded.resize(frames * kChannels);
        source.render(discarded.data(), frames);
        std::lock_guard lock(clockMutex);
        writtenFrames += frames;
      }
    }
  }

  void release() {
    clock.Reset();
    renderClient.Reset();
    client.Reset();
  }

  void closeEvents() {
    CloseHandle(stopEvent);
    CloseHandle(bufferEvent);
  }

  FrameSource& source;
  const std::int64_t counterFrequency;
  HANDLE stopEvent = nullptr;
  HANDLE bufferEvent = nullptr;
  ComPtr<IAudioClient> client;
  ComPtr<IAudioRenderClient> renderClient;
  ComPtr<IAudioClock> clock;
  UINT32 bufferFrames = 0;
  UINT64 clockFrequency = 0;

  std::mutex clockMutex;  // guards the fields below
  std::uint64_t writtenFrames = 0;
  std::uint64_t anchorFrames = 0;   // last device position read, in frames
  std::int64_t anchorCounter = 0;   // performance counter when it was first seen
  std::uint64_t lastReported = 0;
  bool deviceLost = false;

  std::thread worker;
};

}  // namespace

std::vector<OutputDeviceInfo> WasapiOutputDriver::listDevices() {
  std::vector<OutputDeviceInfo> devices;
  std::exception_ptr failure;
  std::thread lister([&] {
    ComApartment apartment;
    try {
      check(apartment.status(), "CoInitializeEx");
      for (auto& endpoint : listEndpoints(makeEnumerator().Get())) {
        devices.push_back(std::move(endpoint.info));
      }
    } catch (...) {
      failure = std::current_exception();
    }
  });
  lister.join();
  if (failure) {
    std::rethrow_exception(failure);
  }
  return devices;
}

std::unique_ptr<OutputDevice> WasapiOutputDriver::open(int number, FrameSource& source) {
  return std::make_unique<WasapiOutputDevice>(number, source);
}

}  // namespace ostrel::bass
