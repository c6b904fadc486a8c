// A byte source over memory.
#include "bass/MemoryByteSource.h"

#include <algorithm>
#include <cstring>

namespace ostrel::bass {

MemoryByteSource::MemoryByteSource(const void* data, std::size_t size)
    : bytes(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size) {}

MemoryByteSource::MemoryByteSource(std::vector<std::uint8_t> bytes) : bytes(std::move(bytes)) {}

std::uint64_t MemoryByteSource::size() const { return bytes.size(); }

std::size_t MemoryByteSource::read(std::uint64_t offset, void* buffer, std::size_t count) {
  if (offset >= bytes.size()) {
    return 0;
  }
  const std::size_t available = bytes.size() - static_cast<std::size_t>(offset);
  const std::size_t copied = std::min(count, available);
  if (copied > 0) {
    std::memcpy(buffer, bytes.data() + offset, copied);
  }
  return copied;
}

std::string MemoryByteSource::name() const { return "memory"; }

}  // namespace ostrel::bass
