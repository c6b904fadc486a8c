// The library's internal failure: an error code for BASS_ErrorGetCode and a sentence that
// says what went wrong (for tests and the fuzzer; the C interface only passes the code on).
#pragma once

#include <stdexcept>
#include <string>

namespace ostrel::bass {

class BassError : public std::runtime_error {
public:
  BassError(int code, const std::string& message) : std::runtime_error(message), code(code) {}

  int errorCode() const { return code; }

private:
  int code;
};

}  // namespace ostrel::bass
