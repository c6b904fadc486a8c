// libFuzzer target for the Ogg Vorbis path: any input is opened from memory as a stream (or
// refused with a BassError), played for a few chunks, moved to a position the input chooses
// and played again. Nothing else may happen: no crash, no hang, no leak, no undefined
// behaviour, no read outside the input, in our code or in the decoder.
//
// Ogg pages carry a checksum, and almost every mutation breaks it, so that the decoder would
// see little beyond the page reader. The mutator therefore mends the checksums of most
// mutated inputs; the rest still exercise the damaged-page paths.
#include "bass/AudioFormat.h"
#include "bass/BassError.h"
#include "bass/MemoryByteSource.h"
#include "bass/VorbisStream.h"

#include <ogg/ogg.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

using namespace ostrel::bass;

constexpr std::size_t kChunkFrames = 1024;  // what the mixer asks for at a time
constexpr std::size_t kPageHeaderBytes = 27;  // up to the segment table

// Sets the checksum of every complete page that the input holds, in place.
void mendPageChecksums(std::uint8_t* data, std::size_t size) {
  std::size_t offset = 0;
  while (offset + kPageHeaderBytes <= size) {
    if (std::memcmp(data + offset, "OggS", 4) != 0) {
      ++offset;
      continue;
    }
    const std::size_t segments = data[offset + 26];
    const std::size_t headerBytes = kPageHeaderBytes + segments;
    if (offset + headerBytes > size) {
      return;
    }
    std::size_t bodyBytes = 0;
    for (std::size_t segment = 0; segment < segments; ++segment) {
      bodyBytes += data[offset + kPageHeaderBytes + segment];
    }
    if (offset + headerBytes + bodyBytes > size) {
      return;
    }
    ogg_page page{data + offset, static_cast<long>(headerBytes), data + offset + headerBytes,
                  static_cast<long>(bodyBytes)};
    ogg_page_checksum_set(&page);
    offset += headerBytes + bodyBytes;
  }
}

// A frame from the input's last bytes, 0 to the length.
std::uint64_t seekTarget(const std::uint8_t* data, std::size_t size, std::uint64_t length) {
  std::uint64_t value = 0;
  for (std::size_t index = size >= 4 ? size - 4 : 0; index < size; ++index) {
    value = value << 8 | data[index];
  }
  return value % (length + 1);
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  if (seed % 8 != 0) {
    mendPageChecksums(data, size);
  }
  return size;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<VorbisStream> stream;
  try {
    stream = VorbisStream::open(std::make_unique<MemoryByteSource>(data, size), "input");
  } catch (const BassError&) {
    return 0;  // refused: the expected outcome for most inputs
  }
  std::vector<std::int32_t> mix(kChunkFrames * kChannels);
  std::uint64_t deviceFrame = 0;
  const auto play = [&](int chunks) {
    for (int chunk = 0; chunk < chunks; ++chunk) {
      stream->mixInto(mix.data(), kChunkFrames, deviceFrame);
      deviceFrame += kChunkFrames;
    }
  };
  stream->play();
  play(3);
  stream->setPosition(seekTarget(data, size, stream->lengthFrames()));
  play(2);
  return 0;
}
