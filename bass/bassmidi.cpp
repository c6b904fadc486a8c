// The library's MIDI calls: a MIDI file as a stream, its marks and its note events.
#include "bass/bassmidi.h"

#include "bass/AudioFormat.h"
#include "bass/ByteSource.h"
#include "bass/CallGuard.h"
#include "bass/Library.h"
#include "bass/MidiFileReader.h"
#include "bass/MidiStream.h"

#include <algorithm>

namespace ostrel::bass {

namespace {

const MidiStream& asMidi(const Stream& stream) {
  const auto* midi = dynamic_cast<const MidiStream*>(&stream);
  if (!midi) {
    throw BassError(BASS_ERROR_HANDLE, "the stream is not a MIDI stream");
  }
  return *midi;
}

// The count-then-fill protocol: with no array, how many; with one, that many copied.
template <typename Record>
DWORD countOrFill(const std::vector<Record>& records, Record* out) {
  if (out) {
    std::copy(records.begin(), records.end(), out);
  }
  return static_cast<DWORD>(records.size());
}

}  // namespace
}  // namespace ostrel::bass

using namespace ostrel::bass;

HSTREAM BASS_MIDI_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                   DWORD flags, DWORD freq) {
  return guardCall<HSTREAM>(0, [&] {
    if (!Library::instance().isInitialized()) {
      throw BassError(BASS_ERROR_INIT, "the library is not initialised");
    }
    if (freq != 0 && freq != kSampleRate) {
      throw BassError(BASS_ERROR_FORMAT, "MIDI streams run at 44100 Hz only");
    }
    auto source = openByteSource(mem, file, offset, length, flags & BASS_UNICODE);
    const auto bytes = source->readAll();
    MidiFile song;
    try {
      song = MidiFileReader::read(bytes);
    } catch (const BassError& error) {
      throw BassError(error.errorCode(), source->name() + ": " + error.what());
    }
    return Library::instance().addStream(std::make_unique<MidiStream>(song));
  });
}

DWORD BASS_MIDI_StreamGetMarks(HSTREAM handle, int track, DWORD type, BASS_MIDI_MARK* marks) {
  return guardCall<DWORD>(~DWORD{0}, [&] {
    return Library::instance().withStream(handle, [&](Stream& stream, std::uint64_t) {
      return countOrFill(asMidi(stream).marks(track, type), marks);
    });
  });
}

DWORD BASS_MIDI_StreamGetEvents(HSTREAM handle, int track, DWORD filter,
                                BASS_MIDI_EVENT* events) {
  return guardCall<DWORD>(~DWORD{0}, [&] {
    if (filter != MIDI_EVENT_NOTE) {
      throw BassError(BASS_ERROR_NOTAVAIL, "only note events (MIDI_EVENT_NOTE) are offered");
    }
    return Library::instance().withStream(handle, [&](Stream& stream, std::uint64_t) {
      return countOrFill(asMidi(stream).noteEvents(track), events);
    });
  });
}
