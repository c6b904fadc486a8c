// Ogg Vorbis streams: the decoder's frames, then silence up to the length.
#include "bass/VorbisStream.h"

#include "bass/AudioFormat.h"
#include "bass/VorbisFile.h"

#include <cstring>

namespace ostrel::bass {

std::unique_ptr<VorbisStream> VorbisStream::open(std::unique_ptr<ByteSource> source,
                                                 const std::string& name) {
  return std::unique_ptr<VorbisStream>(
      new VorbisStream(std::make_unique<VorbisFile>(std::move(source), name)));
}

VorbisStream::VorbisStream(std::unique_ptr<VorbisFile> file)
    : Stream(file->lengthFrames()), file(std::move(file)) {}

VorbisStream::~VorbisStream() = default;

void VorbisStream::decode(std::int16_t* out, std::size_t frames) {
  std::size_t done = 0;
  while (done < frames && !exhausted) {
    const std::size_t got = file->read(out + done * kChannels, frames - done);
    exhausted = got == 0;  // the end, or damage the decoder cannot get past
    done += got;
  }
  std::memset(out + done * kChannels, 0, (frames - done) * kBytesPerFrame);
}

void VorbisStream::seekDecoder(std::uint64_t frame) { exhausted = !file->seek(frame); }

}  // namespace ostrel::bass
