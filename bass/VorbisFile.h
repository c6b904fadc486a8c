// An Ogg Vorbis file read by Xiph's libvorbisfile through a byte source: its length, 16-bit
// stereo decoding and sample-exact seeking.
#pragma once

#include "bass/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct OggVorbis_File;

namespace ostrel::bass {

class VorbisFile {
public:
  // Opens the Ogg Vorbis file the source holds; name is for messages. Throws BassError:
  // BASS_ERROR_FILEFORM when it is not one or its length cannot be read, BASS_ERROR_FORMAT
  // when a part of it is not 44100 Hz stereo.
  VorbisFile(std::unique_ptr<ByteSource> source, const std::string& name);
  ~VorbisFile();
  VorbisFile(const VorbisFile&) = delete;
  VorbisFile& operator=(const VorbisFile&) = delete;

  // Frames from the first to the last page's position (not zero).
  std::uint64_t lengthFrames() const { return length; }
  // Writes up to frames frames into out and returns how many: 0 at the end, or where the
  // rest cannot be decoded (a damaged page, say).
  std::size_t read(std::int16_t* out, std::size_t frames);
  // Moves to frame (below the length); false when the file cannot be decoded from there.
  bool seek(std::uint64_t frame);

private:
  struct Closer {
    void operator()(OggVorbis_File* file) const;
  };

  // libvorbisfile's callbacks over the source, with stdio's conventions.
  static std::size_t readBytes(void* buffer, std::size_t size, std::size_t count, void* self);
  static int seekBytes(void* self, std::int64_t offset, int whence);
  static long tellBytes(void* self);

  void open(const std::string& name);
  void checkFormat(const std::string& name);
  std::uint64_t readLength(const std::string& name);

  std::unique_ptr<ByteSource> source;
  std::uint64_t sourceOffset = 0;  // where the decoder reads next, bytes
  std::unique_ptr<OggVorbis_File, Closer> file;
  std::uint64_t length = 0;
  // The decoder could not be set up for the file (a damaged codebook, say). It is not asked
  // again: Debian's libvorbis would take the half-built codebooks for finished ones on the
  // next attempt (a seek) and divide by zero.
  bool setupFailed = false;
};

}  // namespace ostrel::bass
