// Builds standard MIDI files byte by byte for tests, so that every field, including broken
// ones, can be chosen.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace ostrel::testing {

using Bytes = std::vector<std::uint8_t>;

// The events of one track chunk.
class TrackBytes {
public:
  // A delta time as a variable-length number.
  TrackBytes& delta(std::uint32_t ticks) {
    std::uint8_t groups[4];
    int count = 0;
    do {
      groups[count++] = ticks & 0x7F;
      ticks >>= 7;
    } while (ticks != 0 && count < 4);
    while (count > 1) {
      data.push_back(groups[--count] | 0x80);
    }
    data.push_back(groups[0]);
    return *this;
  }
  TrackBytes& raw(std::initializer_list<int> bytes) {
    for (int byte : bytes) {
      data.push_back(static_cast<std::uint8_t>(byte));
    }
    return *this;
  }
  TrackBytes& noteOn(std::uint32_t ticks, int channel, int key, int velocity) {
    return delta(ticks).raw({0x90 | channel, key, velocity});
  }
  TrackBytes& noteOff(std::uint32_t ticks, int channel, int key, int velocity = 64) {
    return delta(ticks).raw({0x80 | channel, key, velocity});
  }
  // Two data bytes under running status.
  TrackBytes& running(std::uint32_t ticks, int key, int velocity) {
    return delta(ticks).raw({key, velocity});
  }
  TrackBytes& meta(std::uint32_t ticks, int type, const std::string& text) {
    delta(ticks).raw({0xFF, type, static_cast<int>(text.size())});
    data.insert(data.end(), text.begin(), text.end());
    return *this;
  }
  TrackBytes& marker(std::uint32_t ticks, const std::string& text) { return meta(ticks, 0x06, text); }
  TrackBytes& name(std::uint32_t ticks, const std::string& text) { return meta(ticks, 0x03, text); }
  TrackBytes& tempo(std::uint32_t ticks, std::uint32_t microsecondsPerQuarter) {
    return delta(ticks).raw({0xFF, 0x51, 3, int(microsecondsPerQuarter >> 16 & 0xFF),
                             int(microsecondsPerQuarter >> 8 & 0xFF),
                             int(microsecondsPerQuarter & 0xFF)});
  }
  TrackBytes& end(std::uint32_t ticks = 0) { return delta(ticks).raw({0xFF, 0x2F, 0}); }

  Bytes data;
};

inline void appendBigEndian(Bytes& out, std::uint32_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

inline Bytes chunk(const std::string& id, const Bytes& body) {
  Bytes out(id.begin(), id.end());
  appendBigEndian(out, static_cast<std::uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline Bytes header(int format, int tracks, int division) {
  Bytes body;
  appendBigEndian(body, format, 2);
  appendBigEndian(body, tracks, 2);
  appendBigEndian(body, division, 2);
  return chunk("MThd", body);
}

// A whole file: the header and one MTrk chunk per track.
inline Bytes midiFile(int format, int division, const std::vector<TrackBytes>& tracks) {
  Bytes out = header(format, static_cast<int>(tracks.size()), division);
  for (const TrackBytes& track : tracks) {
    const Bytes trackChunk = chunk("MTrk", track.data);
    out.insert(out.end(), trackChunk.begin(), trackChunk.end());
  }
  return out;
}

}  // namespace ostrel::testing
