// Prints what the audio library reads from MIDI files, as one JSON object a file, so that
// tests can hold it against another reader: length, marks of both types and every track's
// note events (texts in hexadecimal, byte for byte).
#include "bass/bass.h"
#include "bass/bassmidi.h"

#include <cstdio>
#include <vector>

namespace {

void printText(const char* text) {
  std::printf("\"");
  for (const char* c = text; *c; ++c) {
    std::printf("%02x", static_cast<unsigned char>(*c));
  }
  std::printf("\"");
}

void printMarks(HSTREAM stream, DWORD type) {
  std::vector<BASS_MIDI_MARK> marks(BASS_MIDI_StreamGetMarks(stream, -1, type, nullptr));
  BASS_MIDI_StreamGetMarks(stream, -1, type, marks.data());
  std::printf("[");
  for (std::size_t index = 0; index < marks.size(); ++index) {
    std::printf("%s[%u,%u,", index ? "," : "", unsigned(marks[index].track),
                unsigned(marks[index].pos));
    printText(marks[index].text);
    std::printf("]");
  }
  std::printf("]");
}

void printEvents(HSTREAM stream) {
  std::printf("[");
  for (int track = 0;; ++track) {
    const DWORD count = BASS_MIDI_StreamGetEvents(stream, track, MIDI_EVENT_NOTE, nullptr);
    if (count == ~DWORD{0}) {
      break;  // past the last track
    }
    std::vector<BASS_MIDI_EVENT> events(count);
    BASS_MIDI_StreamGetEvents(stream, track, MIDI_EVENT_NOTE, events.data());
    std::printf("%s[", track ? "," : "");
    for (std::size_t index = 0; index < events.size(); ++index) {
      const BASS_MIDI_EVENT& event = events[index];
      std::printf("%s[%u,%u,%u,%u]", index ? "," : "", unsigned(event.param),
                  unsigned(event.chan), unsigned(event.tick), unsigned(event.pos));
    }
    std::printf("]");
  }
  std::printf("]");
}

}  // namespace

int main(int argc, char** argv) {
  if (!BASS_Init(-1, 44100, 0, nullptr, nullptr)) {
    std::fprintf(stderr, "BASS_Init failed: %d\n", BASS_ErrorGetCode());
    return 2;
  }
  int status = 0;
  for (int arg = 1; arg < argc; ++arg) {
    const HSTREAM stream = BASS_MIDI_StreamCreateFile(FALSE, argv[arg], 0, 0, 0, 44100);
    if (!stream) {
      std::printf("{\"file\":\"%s\",\"error\":%d}\n", argv[arg], BASS_ErrorGetCode());
      status = 1;
      continue;
    }
    std::printf("{\"file\":\"%s\",\"length\":%llu,\"markers\":", argv[arg],
                static_cast<unsigned long long>(BASS_ChannelGetLength(stream, BASS_POS_BYTE)));
    printMarks(stream, BASS_MIDI_MARK_MARKER);
    std::printf(",\"names\":");
    printMarks(stream, BASS_MIDI_MARK_TRACK);
    std::printf(",\"events\":");
    printEvents(stream);
    std::printf("}\n");
  }
  BASS_Free();
  return status;
}
