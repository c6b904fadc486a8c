// Prints what the audio library costs: memory and decoding speed for an Ogg Vorbis file, and
// reading speed for MIDI files. Not a test: run it by hand on the production's song, built
// without the sanitizers (whose bookkeeping would swamp the memory figures):
//   cmake -S . -B out/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build out/bench --target bass_benchmark
//   out/bench/tests/bench/bass_benchmark SONG.ogg [FILE.mid ...]
#include "bass/Library.h"
#include "bass/ManualOutputDriver.h"
#include "bass/bass.h"
#include "bass/bassmidi.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

// Resident memory of this process in MiB (Linux).
double residentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) {
      return std::stod(line.substr(6)) / 1024.0;
    }
  }
  return -1;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SONG.ogg [FILE.mid ...]\n", argv[0]);
    return 2;
  }
  auto driver = std::make_shared<ostrel::bass::ManualOutputDriver>();
  ostrel::bass::Library::instance().useOutputDriver(driver);
  BASS_Init(-1, 44100, 0, nullptr, nullptr);

  const double before = residentMegabytes();
  auto start = std::chrono::steady_clock::now();
  const HSTREAM song = BASS_StreamCreateFile(FALSE, argv[1], 0, 0, 0);
  if (!song) {
    std::fprintf(stderr, "%s: error %d\n", argv[1], BASS_ErrorGetCode());
    return 1;
  }
  const double opened = secondsSince(start);
  const double length = BASS_ChannelBytes2Seconds(song, BASS_ChannelGetLength(song, BASS_POS_BYTE));
  BASS_ChannelPlay(song, FALSE);
  double peak = residentMegabytes();
  start = std::chrono::steady_clock::now();
  while (BASS_ChannelIsActive(song) == BASS_ACTIVE_PLAYING) {
    driver->advance(44100);  // a second at a time, as fast as it decodes
    peak = std::max(peak, residentMegabytes());
  }
  const double decoded = secondsSince(start);
  std::printf("%s: %.1f s of music; opened in %.1f ms; decoded at %.0fx real time; memory "
              "%.1f MiB before, %.1f MiB at most while playing (+%.1f MiB)\n",
              argv[1], length, opened * 1e3, length / decoded, before, peak, peak - before);

  for (int arg = 2; arg < argc; ++arg) {
    start = std::chrono::steady_clock::now();
    const HSTREAM midi = BASS_MIDI_StreamCreateFile(FALSE, argv[arg], 0, 0, 0, 44100);
    const double read = secondsSince(start);
    DWORD events = 0;
    for (int track = 0;; ++track) {
      const DWORD count = BASS_MIDI_StreamGetEvents(midi, track, MIDI_EVENT_NOTE, nullptr);
      if (count == ~DWORD{0}) {
        break;
      }
      events += count;
    }
    std::printf("%s: read in %.1f ms, %lu note events\n", argv[arg], read * 1e3,
                static_cast<unsigned long>(events));
  }
  BASS_Free();
  return 0;
}
