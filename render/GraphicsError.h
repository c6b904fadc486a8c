// A failed creation of the window or of a Direct3D object: names the call and its result.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace ostrel {

class GraphicsError : public std::runtime_error {
public:
  // what() reads "<call> failed (0x887A0001)". resultIsExitCode: when the failure ends the
  // run, the result itself is the process's exit code (a failed depth buffer), not the one
  // every other fatal error ends with.
  GraphicsError(const std::string& call, HRESULT result, bool resultIsExitCode);

  HRESULT result() const { return result_; }
  bool resultIsExitCode() const { return resultIsExitCode_; }

private:
  HRESULT result_;
  bool resultIsExitCode_;
};

// Throws a GraphicsError for call when result is a failure.
void checkGraphics(HRESULT result, const std::string& call, bool resultIsExitCode = false);

}  // namespace ostrel
