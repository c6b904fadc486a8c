// A byte source over a copy of a block of memory.
#pragma once

#include "bass/ByteSource.h"

namespace ostrel::bass {

class MemoryByteSource : public ByteSource {
public:
  MemoryByteSource(const void* data, std::size_t size);
  explicit MemoryByteSource(std::vector<std::uint8_t> bytes);

  std::uint64_t size() const override;
  std::size_t read(std::uint64_t offset, void* buffer, std::size_t count) override;
  std::string name() const override;

private:
  std::vector<std::uint8_t> bytes;
};

}  // namespace ostrel::bass
