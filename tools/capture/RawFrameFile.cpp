// Raw frames for the encoder.
#include "tools/capture/RawFrameFile.h"

#include <filesystem>
#include <stdexcept>

namespace ostrel::capture {

RawFrameFile::RawFrameFile(const std::string& path)
    : path(path), file(_wfopen(std::filesystem::u8path(path).c_str(), L"wb")) {
  if (!file) {
    throw std::runtime_error("Unable to open " + path + " for the frames");
  }
}

RawFrameFile::~RawFrameFile() { std::fclose(file); }

void RawFrameFile::write(const frames::Picture& picture) {
  if (std::fwrite(picture.rgba.data(), 1, picture.rgba.size(), file) != picture.rgba.size() ||
      std::fflush(file) != 0) {
    throw std::runtime_error("Unable to write a frame to " + path +
                             ": its reader (the encoder) has stopped");
  }
}

}  // namespace ostrel::capture
