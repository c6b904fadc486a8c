// Results of calls made every frame (Present, Map), which the frame goes on without: the
// first failure at a call site is logged at critical with the call and its code, later ones
// are not, so that a device that keeps failing does not add a line to the log every frame.
#pragma once

#include <windows.h>

#include <string>

namespace ostrel {

class RepeatedCallCheck {
public:
  explicit RepeatedCallCheck(std::string call) : call(std::move(call)) {}

  // True when result is a success. The first failure logs "<call> failed (0x........)".
  bool succeeded(HRESULT result);

private:
  std::string call;
  bool failedBefore = false;
};

}  // namespace ostrel
