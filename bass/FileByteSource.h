// A byte source over a part of a file on disk (the whole file by default).
#pragma once

#include "bass/ByteSource.h"

#include <filesystem>
#include <fstream>

namespace ostrel::bass {

class FileByteSource : public ByteSource {
public:
  // Opens path and serves length bytes from offset (length 0: to the end of the file).
  // Throws BassError (BASS_ERROR_FILEOPEN) for a missing or unreadable file or a range
  // outside it.
  FileByteSource(const std::filesystem::path& path, std::uint64_t offset, std::uint64_t length);

  std::uint64_t size() const override;
  std::size_t read(std::uint64_t offset, void* buffer, std::size_t count) override;
  std::string name() const override;

private:
  std::filesystem::path path;
  std::ifstream file;
  std::uint64_t start;
  std::uint64_t length;
};

// The path a BASS call names: a wide (UTF-16 on Windows) string with BASS_UNICODE, else
// UTF-8 text.
std::filesystem::path pathFromCallArgument(const void* file, bool unicode);

}  // namespace ostrel::bass
