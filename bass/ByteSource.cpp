// Reading a whole byte source.
#include "bass/ByteSource.h"

#include "bass/BassError.h"
#include "bass/FileByteSource.h"
#include "bass/MemoryByteSource.h"
#include "bass/bass.h"

#include <limits>

namespace ostrel::bass {

std::vector<std::uint8_t> ByteSource::readAll() {
  const std::uint64_t total = size();
  if (total > std::numeric_limits<std::size_t>::max() / 2) {
    throw BassError(BASS_ERROR_MEM, name() + " is too large to read");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(total));
  const std::size_t got = read(0, bytes.data(), bytes.size());
  if (got != bytes.size()) {
    throw BassError(BASS_ERROR_FILEOPEN, name() + " could not be read to its end");
  }
  return bytes;
}

std::unique_ptr<ByteSource> openByteSource(bool inMemory, const void* file, std::uint64_t offset,
                                           std::uint64_t length, bool unicode) {
  if (!file) {
    throw BassError(BASS_ERROR_ILLPARAM, "no file was named");
  }
  if (inMemory) {
    if (length == 0) {
      throw BassError(BASS_ERROR_ILLPARAM, "a stream from memory needs its length");
    }
    return std::make_unique<MemoryByteSource>(static_cast<const std::uint8_t*>(file) + offset,
                                              static_cast<std::size_t>(length));
  }
  return std::make_unique<FileByteSource>(pathFromCallArgument(file, unicode), offset, length);
}

}  // namespace ostrel::bass
