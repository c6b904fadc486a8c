// A byte source over a file.
#include "bass/FileByteSource.h"

#include "bass/BassError.h"
#include "bass/bass.h"

#include <system_error>

namespace ostrel::bass {

FileByteSource::FileByteSource(const std::filesystem::path& path, std::uint64_t offset,
                               std::uint64_t length)
    : path(path), start(offset), length(length) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    throw BassError(BASS_ERROR_FILEOPEN, name() + " is not a file that can be read");
  }
  const std::uint64_t fileSize = std::filesystem::file_size(path, error);
  if (error) {
    throw BassError(BASS_ERROR_FILEOPEN, name() + ": " + error.message());
  }
  if (offset > fileSize || (length != 0 && length > fileSize - offset)) {
    throw BassError(BASS_ERROR_FILEOPEN, name() + ": the range asked for lies outside the file");
  }
  if (this->length == 0) {
    this->length = fileSize - offset;
  }
  file.open(path, std::ios::binary);
  if (!file) {
    throw BassError(BASS_ERROR_FILEOPEN, name() + " cannot be opened");
  }
}

std::uint64_t FileByteSource::size() const { return length; }

std::size_t FileByteSource::read(std::uint64_t offset, void* buffer, std::size_t count) {
  if (offset >= length) {
    return 0;
  }
  if (count > length - offset) {
    count = static_cast<std::size_t>(length - offset);
  }
  file.clear();
  file.seekg(static_cast<std::streamoff>(start + offset));
  file.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
  if (file.bad() || (file.fail() && !file.eof())) {
    throw BassError(BASS_ERROR_FILEOPEN, name() + " could not be read");
  }
  return static_cast<std::size_t>(file.gcount());
}

std::string FileByteSource::name() const {
  const auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path pathFromCallArgument(const void* file, bool unicode) {
  if (unicode) {
    return std::filesystem::path(static_cast<const wchar_t*>(file));
  }
  const auto* text = static_cast<const char*>(file);
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(text)));
}

}  // namespace ostrel::bass
