// An Ogg Vorbis file as a stream, decoded while it plays (the whole compressed file stays in
// memory, the decoded sound does not). Only 44100 Hz stereo files are taken, so that byte
// positions compare directly with a MIDI stream's.
#pragma once

#include "bass/Stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct stb_vorbis;

namespace ostrel::bass {

class VorbisStream : public Stream {
public:
  // Throws BassError: BASS_ERROR_FILEFORM when the bytes are not Ogg Vorbis,
  // BASS_ERROR_FORMAT when they are not 44100 Hz stereo. name is for messages.
  static std::unique_ptr<VorbisStream> open(std::vector<std::uint8_t> bytes,
                                            const std::string& name);
  ~VorbisStream() override;

protected:
  void decode(std::int16_t* out, std::size_t frames) override;
  void seekDecoder(std::uint64_t frame) override;

private:
  VorbisStream(std::vector<std::uint8_t> bytes, stb_vorbis* decoder, std::uint64_t lengthFrames);

  std::vector<std::uint8_t> bytes;  // the decoder reads from here
  stb_vorbis* decoder;
  bool exhausted = false;  // the decoder has nothing more: silence up to the length
};

}  // namespace ostrel::bass
