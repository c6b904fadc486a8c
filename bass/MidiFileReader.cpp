// The standard MIDI file reader.
#include "bass/MidiFileReader.h"

#include "bass/BassError.h"
#include "bass/ByteReader.h"
#include "bass/bass.h"

#include <algorithm>
#include <string>

namespace ostrel::bass {
namespace {

constexpr std::uint8_t kMetaEvent = 0xFF;
constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kSysExContinuation = 0xF7;
constexpr std::uint8_t kMetaTrackName = 0x03;
constexpr std::uint8_t kMetaMarker = 0x06;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaTimeSignature = 0x58;

[[noreturn]] void fail(const std::string& message) {
  throw BassError(BASS_ERROR_FILEFORM, message);
}

std::string at(std::size_t offset) { return " at byte " + std::to_string(offset); }

struct Header {
  std::uint16_t format;
  std::uint16_t trackCount;
  std::uint16_t division;
};

Header readHeader(ByteReader& file) {
  if (file.remaining() < 8) {
    fail("the file is too short for a MIDI header");
  }
  const auto id = file.readBytes(4);
  if (!std::equal(id.begin(), id.end(), "MThd")) {
    fail("the file does not start with a MIDI header (MThd)");
  }
  const std::uint32_t length = file.readBigEndian32();
  if (length < 6) {
    fail("the MIDI header is " + std::to_string(length) + " bytes long instead of 6");
  }
  if (length > file.remaining()) {
    fail("the MIDI header claims " + std::to_string(length) + " bytes but the file ends first");
  }
  ByteReader header(file.readBytes(length), 8);
  const Header result{header.readBigEndian16(), header.readBigEndian16(),
                      header.readBigEndian16()};
  if (result.format > 1) {
    fail("MIDI format " + std::to_string(result.format) + " is not supported (only 0 and 1)");
  }
  if (result.trackCount == 0) {
    fail("the MIDI header announces no track");
  }
  if (result.division & 0x8000u) {
    fail("SMPTE time division is not supported (only ticks per quarter note)");
  }
  if (result.division == 0) {
    fail("the MIDI header gives a division of 0 ticks per quarter note");
  }
  return result;
}

// Number of data bytes that follow a channel status byte (0x80..0xEF).
int channelDataLength(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0u;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Number of data bytes that follow a system common or real-time byte (0xF1..0xFE).
int systemDataLength(std::uint8_t status) {
  switch (status) {
    case 0xF1:
    case 0xF3:
      return 1;
    case 0xF2:
      return 2;
    default:
      return 0;
  }
}

// Parses the events of one MTrk chunk.
class TrackParser {
public:
  TrackParser(std::size_t number, std::vector<TempoMap::Change>& tempoChanges,
              std::vector<MidiFile::TimeSignature>& timeSignatures)
      : number(number), tempoChanges(tempoChanges), timeSignatures(timeSignatures) {}

  MidiTrack parse(ByteReader& chunk) {
    while (!chunk.atEnd()) {
      tick += chunk.readVariableLength();
      if (!parseEvent(chunk)) {
        break;  // end of track: whatever follows in the chunk is not part of it
      }
    }
    track.endTick = tick;
    return std::move(track);
  }

private:
  // Returns false at the end-of-track event.
  bool parseEvent(ByteReader& chunk) {
    const std::size_t offset = chunk.fileOffset();
    std::uint8_t status = chunk.readByte();
    int firstData = -1;
    if (status < 0x80) {
      if (runningStatus == 0) {
        fail(where(offset) + "a data byte without an earlier status byte (running status)");
      }
      firstData = status;
      status = runningStatus;
    }
    if (status == kMetaEvent) {
      return parseMeta(chunk, offset);  // meta events leave running status as it was
    }
    if (status == kSysEx || status == kSysExContinuation) {
      chunk.readBytes(chunk.readVariableLength());
      runningStatus = 0;
      return true;
    }
    if (status >= 0xF0) {
      skipData(chunk, systemDataLength(status), offset);
      if (status < 0xF8) {
        runningStatus = 0;  // system common cancels running status; real-time does not
      }
      return true;
    }
    runningStatus = status;
    parseChannelMessage(chunk, status, firstData, offset);
    return true;
  }

  void parseChannelMessage(ByteReader& chunk, std::uint8_t status, int firstData,
                           std::size_t offset) {
    std::uint8_t data[2] = {0, 0};
    const int length = channelDataLength(status);
    for (int index = 0; index < length; ++index) {
      const int byte = index == 0 && firstData >= 0 ? firstData : chunk.readByte();
      if (byte >= 0x80) {
        fail(where(offset) + "a status byte where a data byte of a channel message belongs");
      }
      data[index] = static_cast<std::uint8_t>(byte);
    }
    const std::uint8_t kind = status & 0xF0u;
    const std::uint8_t channel = status & 0x0Fu;
    if (kind == 0x80) {
      track.notes.push_back({tick, channel, data[0], 0});
    } else if (kind == 0x90) {
      track.notes.push_back({tick, channel, data[0], data[1]});
    }
  }

  bool parseMeta(ByteReader& chunk, std::size_t offset) {
    const std::uint8_t type = chunk.readByte();
    const auto data = chunk.readBytes(chunk.readVariableLength());
    switch (type) {
      case kMetaEndOfTrack:
        return false;
      case kMetaTempo:
        if (data.size() != 3) {
          fail(where(offset) + "a tempo event with " + std::to_string(data.size()) +
               " data bytes instead of 3");
        }
        tempoChanges.push_back(
            {tick, std::uint32_t(data[0]) << 16 | std::uint32_t(data[1]) << 8 | data[2]});
        return true;
      case kMetaTimeSignature:
        // Numerator and the denominator's power of two; a malformed one is only skipped,
        // since playback does not depend on it.
        if (data.size() >= 2 && data[0] > 0 && data[1] < 32) {
          timeSignatures.push_back({tick, data[0], std::uint32_t(1) << data[1]});
        }
        return true;
      case kMetaTrackName:
      case kMetaMarker: {
        const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
        track.texts.push_back({tick, type, std::string(data.begin(), end)});
        return true;
      }
      default:
        return true;
    }
  }

  void skipData(ByteReader& chunk, int length, std::size_t offset) {
    for (int index = 0; index < length; ++index) {
      if (chunk.readByte() >= 0x80) {
        fail(where(offset) + "a status byte where a data byte of a system message belongs");
      }
    }
  }

  std::string where(std::size_t offset) const {
    return "track " + std::to_string(number) + at(offset) + ": ";
  }

  std::size_t number;
  std::vector<TempoMap::Change>& tempoChanges;
  std::vector<MidiFile::TimeSignature>& timeSignatures;
  MidiTrack track;
  std::uint64_t tick = 0;
  std::uint8_t runningStatus = 0;  // 0: none
};

}  // namespace

MidiFile MidiFileReader::read(std::span<const std::uint8_t> bytes) {
  ByteReader file(bytes);
  const Header header = readHeader(file);

  MidiFile result;
  result.format = header.format;
  result.ticksPerQuarter = header.division;
  std::vector<TempoMap::Change> tempoChanges;
  while (result.tracks.size() < header.trackCount) {
    if (file.remaining() < 8) {
      fail("the file ends after " + std::to_string(result.tracks.size()) + " of " +
           std::to_string(header.trackCount) + " tracks");
    }
    const std::size_t chunkOffset = file.fileOffset();
    const auto id = file.readBytes(4);
    const std::uint32_t length = file.readBigEndian32();
    if (length > file.remaining()) {
      fail("the chunk" + at(chunkOffset) + " claims " + std::to_string(length) +
           " bytes but only " + std::to_string(file.remaining()) + " are left in the file");
    }
    ByteReader chunk(file.readBytes(length), chunkOffset + 8);
    if (std::equal(id.begin(), id.end(), "MTrk")) {
      TrackParser parser(result.tracks.size(), tempoChanges, result.timeSignatures);
      result.tracks.push_back(parser.parse(chunk));
    }  // chunks of other kinds are skipped, as the format asks readers to
  }
  result.tempoMap = TempoMap(header.division, std::move(tempoChanges));
  std::stable_sort(result.timeSignatures.begin(), result.timeSignatures.end(),
                   [](const auto& a, const auto& b) { return a.tick < b.tick; });
  return result;
}

}  // namespace ostrel::bass
