// An Ogg Vorbis file as a stream, decoded while it plays (the whole compressed file stays in
// memory, the decoded sound does not). Only 44100 Hz stereo files are taken, so that byte
// positions compare directly with a MIDI stream's.
#pragma once

#include "bass/ByteSource.h"
#include "bass/Stream.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ostrel::bass {

class VorbisFile;

class VorbisStream : public Stream {
public:
  // Throws BassError: BASS_ERROR_FILEFORM when the bytes are not Ogg Vorbis,
  // BASS_ERROR_FORMAT when they are not 44100 Hz stereo. name is for messages.
  static std::unique_ptr<VorbisStream> open(std::unique_ptr<ByteSource> source,
                                            const std::string& name);
  ~VorbisStream() override;

protected:
  void decode(std::int16_t* out, std::size_t frames) override;
  void seekDecoder(std::uint64_t frame) override;

private:
  explicit VorbisStream(std::unique_ptr<VorbisFile> file);

  std::unique_ptr<VorbisFile> file;
  bool exhausted = false;  // the decoder has nothing more: silence up to the length
};

}  // namespace ostrel::bass
