// How every C call of the library ends: a result on success, or the failure value with the
// error code (and a sentence, for diagnostics) kept for the calling thread.
#pragma once

#include "bass/BassError.h"
#include "bass/bass.h"

#include <new>
#include <string>

namespace ostrel::bass {

// The calling thread's last error code and its explanation.
int& lastErrorCode();
std::string& lastErrorText();

template <typename Result, typename Call>
Result guardCall(Result failure, Call&& call) {
  try {
    Result result = call();
    lastErrorCode() = BASS_OK;
    lastErrorText().clear();
    return result;
  } catch (const BassError& error) {
    lastErrorCode() = error.errorCode();
    lastErrorText() = error.what();
  } catch (const std::bad_alloc&) {
    lastErrorCode() = BASS_ERROR_MEM;
    lastErrorText() = "out of memory";
  } catch (const std::exception& error) {
    lastErrorCode() = BASS_ERROR_UNKNOWN;
    lastErrorText() = error.what();
  }
  return failure;
}

}  // namespace ostrel::bass
