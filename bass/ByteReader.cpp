// Bounds-checked reading of big-endian numbers and MIDI variable-length quantities.
#include "bass/ByteReader.h"

#include "bass/BassError.h"
#include "bass/bass.h"

namespace ostrel::bass {

ByteReader::ByteReader(std::span<const std::uint8_t> data, std::size_t base)
    : data(data), base(base) {}

std::uint8_t ByteReader::readByte() {
  if (remaining() < 1) {
    failPastEnd(1);
  }
  return data[next++];
}

std::uint16_t ByteReader::readBigEndian16() {
  const auto bytes = readBytes(2);
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

std::uint32_t ByteReader::readBigEndian32() {
  const auto bytes = readBytes(4);
  return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
         std::uint32_t(bytes[2]) << 8 | std::uint32_t(bytes[3]);
}

std::uint32_t ByteReader::readVariableLength() {
  const std::size_t start = fileOffset();
  std::uint32_t value = 0;
  for (int index = 0; index < 4; ++index) {
    const std::uint8_t byte = readByte();
    value = value << 7 | (byte & 0x7Fu);
    if ((byte & 0x80u) == 0) {
      return value;
    }
  }
  throw BassError(BASS_ERROR_FILEFORM, "a variable-length number at byte " +
                                           std::to_string(start) + " is longer than 4 bytes");
}

std::span<const std::uint8_t> ByteReader::readBytes(std::size_t count) {
  if (remaining() < count) {
    failPastEnd(count);
  }
  const auto bytes = data.subspan(next, count);
  next += count;
  return bytes;
}

void ByteReader::failPastEnd(std::size_t wanted) const {
  throw BassError(BASS_ERROR_FILEFORM,
                  std::to_string(wanted) + " bytes wanted at byte " +
                      std::to_string(fileOffset()) + " but only " + std::to_string(remaining()) +
                      " left in the chunk");
}

}  // namespace ostrel::bass
