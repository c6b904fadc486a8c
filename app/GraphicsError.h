// A failed creation of the window or of a Direct3D object: names the call and its result.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace ostrel {

class GraphicsError : public std::runtime_error {
public:
  // what() reads "<call> failed (0x887A0001)". exitCode is the process's exit code when the
  // failure ends the run.
  GraphicsError(const std::string& call, HRESULT result, UINT exitCode);

  HRESULT result() const { return result_; }
  UINT exitCode() const { return exitCode_; }

private:
  HRESULT result_;
  UINT exitCode_;
};

// Throws a GraphicsError for call when result is a failure; the run then ends with exit
// code 1, or with the result code itself when resultIsExitCode (a failed depth buffer).
void checkGraphics(HRESULT result, const std::string& call, bool resultIsExitCode = false);

}  // namespace ostrel
