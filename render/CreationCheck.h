// Creation results of GPU objects that the rendering code goes on without: a failure is
// logged at critical with the call, so a missing object is never a mystery.
#pragma once

#include <windows.h>

#include <string>

namespace ostrel {

// Logs "<call> failed (0x........)" when result is a failure; returns whether it succeeded.
bool logCreation(HRESULT result, const std::string& call);

}  // namespace ostrel
