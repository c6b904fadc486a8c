// The frames of a capture written raw, one after another, to a file or a named pipe that an
// encoder reads.
#pragma once

#include "tools/frames/BackBufferReader.h"

#include <cstdio>
#include <string>

namespace ostrel::capture {

class RawFrameFile {
public:
  // Opens path (UTF-8) for writing; a named pipe waits here for its reader. Throws
  // std::runtime_error naming the path.
  explicit RawFrameFile(const std::string& path);
  ~RawFrameFile();
  RawFrameFile(const RawFrameFile&) = delete;
  RawFrameFile& operator=(const RawFrameFile&) = delete;

  // The picture's RGBA bytes, flushed, so the reader has the whole frame at once. Throws
  // std::runtime_error when the reader has gone.
  void write(const frames::Picture& picture);

private:
  std::string path;
  std::FILE* file = nullptr;
};

}  // namespace ostrel::capture
