// A cursor over a block of bytes that never reads past its end: every read checks what is
// left and throws BassError (BASS_ERROR_FILEFORM) naming the offset where the data ran out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ostrel::bass {

class ByteReader {
public:
  // base is the offset of data[0] in the whole file, for messages.
  explicit ByteReader(std::span<const std::uint8_t> data, std::size_t base = 0);

  bool atEnd() const { return next == data.size(); }
  std::size_t remaining() const { return data.size() - next; }
  // Offset of the next byte in the whole file.
  std::size_t fileOffset() const { return base + next; }

  std::uint8_t readByte();
  std::uint16_t readBigEndian16();
  std::uint32_t readBigEndian32();
  // A MIDI variable-length quantity: 7 bits a byte, high bit set on all but the last; at
  // most 4 bytes (28 bits), as the file format allows.
  std::uint32_t readVariableLength();
  // The next count bytes, which stay inside the block.
  std::span<const std::uint8_t> readBytes(std::size_t count);

private:
  [[noreturn]] void failPastEnd(std::size_t wanted) const;

  std::span<const std::uint8_t> data;
  std::size_t base;
  std::size_t next = 0;
};

}  // namespace ostrel::bass
