// libFuzzer target for the MIDI reader: any input is read (and turned into a stream with its
// marks and events) or refused with a BassError; nothing else may happen, no crash, no hang,
// no read outside the input.
#include "bass/BassError.h"
#include "bass/MidiFileReader.h"
#include "bass/MidiStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrel::bass;
  try {
    const MidiFile file = MidiFileReader::read({data, size});
    const MidiStream stream(file);
    stream.marks(-1, BASS_MIDI_MARK_MARKER);
    stream.marks(-1, BASS_MIDI_MARK_TRACK);
    for (std::size_t track = 0; track < stream.trackCount(); ++track) {
      stream.noteEvents(static_cast<int>(track));
    }
  } catch (const BassError&) {
    // refused: the expected outcome for most inputs
  }
  return 0;
}
