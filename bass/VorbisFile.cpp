// Ogg Vorbis decoding with libvorbisfile, reading through a byte source.
#include "bass/VorbisFile.h"

#include "bass/AudioFormat.h"
#include "bass/BassError.h"
#include "bass/bass.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

namespace ostrel::bass {

static_assert(std::is_same_v<ogg_int64_t, std::int64_t>, "the seek callback's offset type");

namespace {

// At most this many frames per call into the decoder, whose sizes are ints of bytes.
constexpr std::size_t kFramesPerDecoderCall = 1 << 16;
// Bytes the decoder is handed with the opening call: as many as its first read takes.
constexpr std::size_t kInitialBytes = 4096;

std::string decoderErrorText(long code) {
  switch (code) {
    case OV_ENOTVORBIS: return "no complete Vorbis stream was found in it";
    case OV_EBADHEADER: return "its Vorbis headers are damaged";
    case OV_EVERSION: return "its Vorbis version is unknown";
    case OV_EREAD: return "its pages could not be read through";
    default: return "decoder error " + std::to_string(code);
  }
}

}  // namespace

void VorbisFile::Closer::operator()(OggVorbis_File* file) const {
  ov_clear(file);
  delete file;
}

VorbisFile::VorbisFile(std::unique_ptr<ByteSource> source, const std::string& name)
    : source(std::move(source)) {
  open(name);
  checkFormat(name);
  length = readLength(name);
}

VorbisFile::~VorbisFile() = default;

void VorbisFile::open(const std::string& name) {
  // The decoder tells positions as a long, 32 bits on Windows.
  if (source->size() > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) {
    throw BassError(BASS_ERROR_FILEFORM, name + " is too large for the Ogg Vorbis decoder");
  }
  // The first bytes go to the decoder with the opening call, so that its page reader never
  // starts on an empty buffer (libogg would compute an offset into a null pointer).
  std::vector<char> initial(kInitialBytes);
  initial.resize(source->read(0, initial.data(), initial.size()));
  if (initial.empty()) {
    throw BassError(BASS_ERROR_FILEFORM, name + " is empty");
  }
  sourceOffset = initial.size();
  const ov_callbacks callbacks{&VorbisFile::readBytes, &VorbisFile::seekBytes, nullptr,
                               &VorbisFile::tellBytes};
  auto opening = std::make_unique<OggVorbis_File>();
  const int result = ov_open_callbacks(this, opening.get(), initial.data(),
                                       static_cast<long>(initial.size()), callbacks);
  if (result != 0) {  // the decoder has already released what it held
    throw BassError(BASS_ERROR_FILEFORM,
                    name + " is not an Ogg Vorbis file: " + decoderErrorText(result));
  }
  file.reset(opening.release());
}

void VorbisFile::checkFormat(const std::string& name) {
  // A chained file may change its format from one part to the next; every part must fit.
  // A part whose headers cannot be read declares nothing and is played as silence.
  for (int link = 0; link < ov_streams(file.get()); ++link) {
    const vorbis_info* info = ov_info(file.get(), link);
    if (info && info->channels != 0 &&
        (info->rate != kSampleRate || info->channels != static_cast<int>(kChannels))) {
      throw BassError(BASS_ERROR_FORMAT, name + " has " + std::to_string(info->channels) +
                                             " channels at " + std::to_string(info->rate) +
                                             " Hz; only stereo at 44100 Hz is played");
    }
  }
}

std::uint64_t VorbisFile::readLength(const std::string& name) {
  // Summed part by part and bounded, so that the absurd page positions of a damaged file
  // overflow neither a byte position nor the decoder's own sum of the parts.
  constexpr std::uint64_t kMostFrames = std::numeric_limits<std::uint64_t>::max() / 8;
  std::uint64_t total = 0;
  for (int link = 0; link < ov_streams(file.get()); ++link) {
    const ogg_int64_t frames = ov_pcm_total(file.get(), link);
    if (frames < 0 || static_cast<std::uint64_t>(frames) > kMostFrames - total) {
      throw BassError(BASS_ERROR_FILEFORM, name + ": the length of its audio cannot be read");
    }
    total += static_cast<std::uint64_t>(frames);
  }
  if (total == 0) {
    throw BassError(BASS_ERROR_FILEFORM, name + " holds no samples");
  }
  return total;
}

std::size_t VorbisFile::read(std::int16_t* out, std::size_t frames) {
  if (setupFailed) {
    return 0;
  }
  const int bytes = static_cast<int>(std::min(frames, kFramesPerDecoderCall) * kBytesPerFrame);
  constexpr int kBigEndian = std::endian::native == std::endian::big;
  const long got =
      ov_read(file.get(), reinterpret_cast<char*>(out), bytes, kBigEndian, 2, 1, nullptr);
  if (got <= 0) {  // the end, a lost page (OV_HOLE) or a part that cannot be decoded
    setupFailed = got == OV_EBADLINK;
    return 0;
  }
  return static_cast<std::size_t>(got) / kBytesPerFrame;
}

bool VorbisFile::seek(std::uint64_t frame) {
  return !setupFailed && frame < length &&
         ov_pcm_seek(file.get(), static_cast<ogg_int64_t>(frame)) == 0;
}

std::size_t VorbisFile::readBytes(void* buffer, std::size_t size, std::size_t count, void* self) {
  auto& reader = *static_cast<VorbisFile*>(self);
  if (size == 0 || count > std::numeric_limits<std::size_t>::max() / size) {
    return 0;
  }
  try {
    const std::size_t got = reader.source->read(reader.sourceOffset, buffer, size * count);
    reader.sourceOffset += got;
    return got / size;
  } catch (const std::exception&) {
    // Nothing may unwind through the decoder's C code; a read error is told by errno.
    errno = EIO;
    return 0;
  }
}

int VorbisFile::seekBytes(void* self, std::int64_t offset, int whence) {
  auto& reader = *static_cast<VorbisFile*>(self);
  // The size fits in a long (checked at opening) and the offset never passes it, so none of
  // the sums below overflows.
  const auto size = static_cast<std::int64_t>(reader.source->size());
  std::int64_t base = 0;
  switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<std::int64_t>(reader.sourceOffset); break;
    case SEEK_END: base = size; break;
    default: return -1;
  }
  if (offset < -base || offset > size - base) {
    return -1;  // only positions within the file
  }
  reader.sourceOffset = static_cast<std::uint64_t>(base + offset);
  return 0;
}

long VorbisFile::tellBytes(void* self) {
  return static_cast<long>(static_cast<VorbisFile*>(self)->sourceOffset);
}

}  // namespace ostrel::bass
