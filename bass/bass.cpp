// The library's C calls: device, streams, positions.
#include "bass/bass.h"

#include "bass/AudioFormat.h"
#include "bass/ByteSource.h"
#include "bass/CallGuard.h"
#include "bass/Library.h"
#include "bass/MemoryByteSource.h"
#include "bass/VorbisStream.h"

namespace ostrel::bass {

int& lastErrorCode() {
  thread_local int code = BASS_OK;
  return code;
}

std::string& lastErrorText() {
  thread_local std::string text;
  return text;
}

namespace {

Library& library() { return Library::instance(); }

void requireBytes(DWORD mode) {
  if (mode != BASS_POS_BYTE) {
    throw BassError(BASS_ERROR_NOTAVAIL, "positions are offered in bytes only");
  }
}

}  // namespace
}  // namespace ostrel::bass

using namespace ostrel::bass;

BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*) {
  return guardCall<BOOL>(FALSE, [&] {
    library().init(device, freq);
    return TRUE;
  });
}

BOOL BASS_Free() {
  return guardCall<BOOL>(FALSE, [] {
    library().free();
    return TRUE;
  });
}

int BASS_ErrorGetCode() { return lastErrorCode(); }

BOOL BASS_GetDeviceInfo(DWORD device, BASS_DEVICEINFO* info) {
  return guardCall<BOOL>(FALSE, [&] {
    if (!info) {
      throw BassError(BASS_ERROR_ILLPARAM, "no record to fill");
    }
    const OutputDeviceInfo& found = library().deviceInfo(device);
    *info = {found.name.c_str(), found.driver.c_str(), found.flags};
    return TRUE;
  });
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                              DWORD flags) {
  return guardCall<HSTREAM>(0, [&] {
    if (!library().isInitialized()) {
      throw BassError(BASS_ERROR_INIT, "the library is not initialised");
    }
    std::unique_ptr<ByteSource> source =
        openByteSource(mem, file, offset, length, flags & BASS_UNICODE);
    const std::string name = source->name();
    if (!mem) {
      // The decoder runs on the output device's thread: it reads from memory, never waiting
      // for a disk.
      source = std::make_unique<MemoryByteSource>(source->readAll());
    }
    return library().addStream(VorbisStream::open(std::move(source), name));
  });
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
  return guardCall<BOOL>(FALSE, [&] {
    return library().withStream(handle, [&](Stream& stream, std::uint64_t) {
      if (restart) {
        stream.setPosition(0);
      }
      stream.play();
      return TRUE;
    });
  });
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode) {
  return guardCall<BOOL>(FALSE, [&] {
    requireBytes(mode);
    return library().withStream(handle, [&](Stream& stream, std::uint64_t) {
      stream.setPosition(pos / kBytesPerFrame);
      return TRUE;
    });
  });
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
  return guardCall<QWORD>(~QWORD{0}, [&] {
    requireBytes(mode);
    return library().withStream(handle, [](Stream& stream, std::uint64_t played) {
      return QWORD{stream.heardFrame(played) * kBytesPerFrame};
    });
  });
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode) {
  return guardCall<QWORD>(~QWORD{0}, [&] {
    requireBytes(mode);
    return library().withStream(handle, [](Stream& stream, std::uint64_t) {
      return QWORD{stream.lengthFrames() * kBytesPerFrame};
    });
  });
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
  return guardCall<double>(-1.0, [&] {
    return library().withStream(handle, [&](Stream&, std::uint64_t) {
      return static_cast<double>(pos) / (kSampleRate * kBytesPerFrame);
    });
  });
}

DWORD BASS_ChannelIsActive(DWORD handle) {
  return guardCall<DWORD>(BASS_ACTIVE_STOPPED, [&] {
    return library().withStream(handle, [](Stream& stream, std::uint64_t played) {
      return stream.isPlaying(played) ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    });
  });
}
