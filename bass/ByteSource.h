// Where a file's bytes come from: a file on disk or a block of memory, so that the readers
// run on files in the program and from memory in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ostrel::bass {

class ByteSource {
public:
  virtual ~ByteSource() = default;

  // Number of bytes the source holds.
  virtual std::uint64_t size() const = 0;
  // Copies up to count bytes from offset into buffer; returns how many were copied (fewer
  // only past the end). Throws BassError (BASS_ERROR_FILEOPEN) when the medium fails.
  virtual std::size_t read(std::uint64_t offset, void* buffer, std::size_t count) = 0;
  // A name for messages: the file's path, or "memory".
  virtual std::string name() const = 0;

  // Every byte of the source.
  std::vector<std::uint8_t> readAll();
};

// The source a stream-creating call names: length bytes at file + offset in memory, or the
// file at path file (wide with unicode, else UTF-8) from offset, length 0 meaning to its end.
// Throws BassError (BASS_ERROR_ILLPARAM, BASS_ERROR_FILEOPEN).
std::unique_ptr<ByteSource> openByteSource(bool inMemory, const void* file, std::uint64_t offset,
                                           std::uint64_t length, bool unicode);

}  // namespace ostrel::bass
