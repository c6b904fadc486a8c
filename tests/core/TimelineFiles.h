// Timeline MIDI files for tests, written as authors place events: at absolute ticks, on
// numbered tracks, in any order.
#pragma once

#include "ManualOutputTest.h"
#include "MidiBytes.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ostrel::testing {

// One tick is exactly 100 sample frames (400 bytes) at 44100 Hz: 441 ticks per quarter note
// at 60 beats per minute, so byte positions in the tests are round numbers.
constexpr int kTicksPerQuarter = 441;
constexpr std::uint32_t kBytesPerTick = 400;

class TimelineBuilder {
public:
  TimelineBuilder() { tempo(0, 1'000'000); }

  TimelineBuilder& tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter) {
    return add(0, tick, [=](TrackBytes& bytes, std::uint32_t delta) {
      bytes.tempo(delta, microsecondsPerQuarter);
    });
  }
  TimelineBuilder& trackName(int track, const std::string& name) {
    return add(track, 0, [=](TrackBytes& bytes, std::uint32_t delta) { bytes.name(delta, name); });
  }
  TimelineBuilder& marker(int track, std::uint32_t tick, const std::string& text) {
    return add(track, tick,
               [=](TrackBytes& bytes, std::uint32_t delta) { bytes.marker(delta, text); });
  }
  TimelineBuilder& noteOn(int track, std::uint32_t tick, int key, int velocity) {
    return add(track, tick, [=](TrackBytes& bytes, std::uint32_t delta) {
      bytes.noteOn(delta, 0, key, velocity);
    });
  }
  // A note-on and, length ticks later, its release (a note-on of velocity 0).
  TimelineBuilder& note(int track, std::uint32_t tick, std::uint32_t length, int key,
                        int velocity) {
    noteOn(track, tick, key, velocity);
    return noteOn(track, tick + length, key, 0);
  }

  Bytes bytes() const {
    const int trackCount = events.empty() ? 1 : events.rbegin()->first + 1;
    std::vector<TrackBytes> tracks(static_cast<std::size_t>(trackCount));
    for (const auto& [track, trackEvents] : events) {
      writeTrack(trackEvents, tracks[static_cast<std::size_t>(track)]);
    }
    for (TrackBytes& track : tracks) {
      if (track.data.empty()) {
        track.end();
      }
    }
    return midiFile(1, kTicksPerQuarter, tracks);
  }

private:
  using Writer = std::function<void(TrackBytes&, std::uint32_t delta)>;
  struct Event {
    std::uint32_t tick;
    Writer write;
  };

  TimelineBuilder& add(int track, std::uint32_t tick, Writer write) {
    events[track].push_back({tick, std::move(write)});
    return *this;
  }

  static void writeTrack(std::vector<Event> trackEvents, TrackBytes& bytes) {
    std::stable_sort(trackEvents.begin(), trackEvents.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::uint32_t tick = 0;
    for (const Event& event : trackEvents) {
      event.write(bytes, event.tick - tick);
      tick = event.tick;
    }
    bytes.end();
  }

  std::map<int, std::vector<Event>> events;
};

}  // namespace ostrel::testing
