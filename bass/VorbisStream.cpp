// Ogg Vorbis decoding with stb_vorbis.
#include "bass/VorbisStream.h"

#include "bass/AudioFormat.h"
#include "bass/BassError.h"
#include "bass/bass.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include <climits>
#include <cstring>

namespace ostrel::bass {

std::unique_ptr<VorbisStream> VorbisStream::open(std::vector<std::uint8_t> bytes,
                                                 const std::string& name) {
  if (bytes.size() > INT_MAX) {
    throw BassError(BASS_ERROR_FILEFORM, name + " is too large for the Ogg Vorbis decoder");
  }
  int error = 0;
  stb_vorbis* decoder =
      stb_vorbis_open_memory(bytes.data(), static_cast<int>(bytes.size()), &error, nullptr);
  if (!decoder) {
    throw BassError(BASS_ERROR_FILEFORM, name + " is not an Ogg Vorbis file (decoder error " +
                                             std::to_string(error) + ")");
  }
  const stb_vorbis_info info = stb_vorbis_get_info(decoder);
  if (info.sample_rate != kSampleRate || info.channels != static_cast<int>(kChannels)) {
    stb_vorbis_close(decoder);
    throw BassError(BASS_ERROR_FORMAT, name + " has " + std::to_string(info.channels) +
                                           " channels at " + std::to_string(info.sample_rate) +
                                           " Hz; only stereo at 44100 Hz is played");
  }
  const std::uint64_t length = stb_vorbis_stream_length_in_samples(decoder);
  if (length == 0) {
    stb_vorbis_close(decoder);
    throw BassError(BASS_ERROR_FILEFORM, name + " holds no samples or its length cannot be read");
  }
  return std::unique_ptr<VorbisStream>(new VorbisStream(std::move(bytes), decoder, length));
}

VorbisStream::VorbisStream(std::vector<std::uint8_t> bytes, stb_vorbis* decoder,
                           std::uint64_t lengthFrames)
    : Stream(lengthFrames), bytes(std::move(bytes)), decoder(decoder) {}

VorbisStream::~VorbisStream() { stb_vorbis_close(decoder); }

void VorbisStream::decode(std::int16_t* out, std::size_t frames) {
  std::size_t done = 0;
  while (done < frames && !exhausted) {
    const std::size_t wanted = std::min<std::size_t>(frames - done, INT_MAX / kChannels);
    const int got = stb_vorbis_get_samples_short_interleaved(
        decoder, kChannels, out + done * kChannels, static_cast<int>(wanted * kChannels));
    if (got <= 0) {
      exhausted = true;  // a damaged or short file: the rest of its length is silence
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  std::memset(out + done * kChannels, 0, (frames - done) * kBytesPerFrame);
}

void VorbisStream::seekDecoder(std::uint64_t frame) {
  if (frame == 0) {
    exhausted = stb_vorbis_seek_start(decoder) == 0;
    return;
  }
  exhausted = frame >= lengthFrames() || stb_vorbis_seek(decoder, static_cast<unsigned>(frame)) == 0;
}

}  // namespace ostrel::bass
