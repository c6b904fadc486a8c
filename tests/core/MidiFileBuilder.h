// Builds standard MIDI files in memory for tests: format 1, one track per index, events at
// absolute ticks, written with delta times and running status where it applies.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace ostrel::test {

class MidiFileBuilder {
public:
  explicit MidiFileBuilder(std::uint16_t ticksPerQuarter = 480) : division(ticksPerQuarter) {}

  MidiFileBuilder& tempo(std::uint32_t tick, std::uint32_t microsecondsPerQuarter) {
    return meta(0, tick, 0x51,
                {std::uint8_t(microsecondsPerQuarter >> 16), std::uint8_t(microsecondsPerQuarter >> 8),
                 std::uint8_t(microsecondsPerQuarter)});
  }
  MidiFileBuilder& trackName(int track, const std::string& name) {
    return meta(track, 0, 0x03, bytesOf(name));
  }
  MidiFileBuilder& marker(int track, std::uint32_t tick, const std::string& text) {
    return meta(track, tick, 0x06, bytesOf(text));
  }
  MidiFileBuilder& noteOn(int track, std::uint32_t tick, int key, int velocity, int channel = 0) {
    return event(track, tick, {std::uint8_t(0x90 | channel), std::uint8_t(key), std::uint8_t(velocity)});
  }
  MidiFileBuilder& noteOff(int track, std::uint32_t tick, int key, int channel = 0) {
    return event(track, tick, {std::uint8_t(0x80 | channel), std::uint8_t(key), 0});
  }
  MidiFileBuilder& note(int track, std::uint32_t tick, std::uint32_t length, int key, int velocity) {
    noteOn(track, tick, key, velocity);
    return noteOff(track, tick + length, key);
  }

  std::vector<std::uint8_t> bytes() const {
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    const int trackCount = tracks.empty() ? 1 : tracks.rbegin()->first + 1;
    appendBigEndian(file, std::uint32_t(trackCount), 2);
    appendBigEndian(file, division, 2);
    for (int track = 0; track < trackCount; ++track) {
      appendTrack(file, track);
    }
    return file;
  }

  // Writes the file and returns its path (a fresh name in the temporary folder).
  std::filesystem::path write(const std::string& name) const {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream out(path, std::ios::binary);
    const auto data = bytes();
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return path;
  }

private:
  struct Event {
    std::uint32_t tick;
    std::vector<std::uint8_t> data;  // status byte first
  };

  static std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
  }

  static void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int count) {
    for (int shift = (count - 1) * 8; shift >= 0; shift -= 8) {
      out.push_back(std::uint8_t(value >> shift));
    }
  }

  static void appendVariableLength(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
      groups[count++] = value & 0x7F;
      value >>= 7;
    } while (value);
    while (count--) {
      out.push_back(std::uint8_t(groups[count] | (count ? 0x80 : 0)));
    }
  }

  MidiFileBuilder& meta(int track, std::uint32_t tick, std::uint8_t type,
                        std::vector<std::uint8_t> payload) {
    std::vector<std::uint8_t> data = {0xFF, type};
    appendVariableLength(data, std::uint32_t(payload.size()));
    data.insert(data.end(), payload.begin(), payload.end());
    return event(track, tick, std::move(data));
  }

  MidiFileBuilder& event(int track, std::uint32_t tick, std::vector<std::uint8_t> data) {
    tracks[track].push_back({tick, std::move(data)});
    return *this;
  }

  void appendTrack(std::vector<std::uint8_t>& file, int track) const {
    std::vector<Event> events;
    if (const auto found = tracks.find(track); found != tracks.end()) {
      events = found->second;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::vector<std::uint8_t> body;
    std::uint32_t tick = 0;
    std::uint8_t runningStatus = 0;
    for (const Event& event : events) {
      appendVariableLength(body, event.tick - tick);
      tick = event.tick;
      const std::uint8_t status = event.data[0];
      const bool isChannelEvent = status < 0xF0;
      const bool reuseStatus = isChannelEvent && status == runningStatus;
      body.insert(body.end(), event.data.begin() + (reuseStatus ? 1 : 0), event.data.end());
      runningStatus = isChannelEvent ? status : 0;
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});  // end of track
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    appendBigEndian(file, std::uint32_t(body.size()), 4);
    file.insert(file.end(), body.begin(), body.end());
  }

  std::uint16_t division;
  std::map<int, std::vector<Event>> tracks;
};

}  // namespace ostrel::test
