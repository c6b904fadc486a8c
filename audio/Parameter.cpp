// Parameters.
#include "audio/Parameter.h"

#include <stdexcept>

namespace ostrel {

Parameter::Parameter(std::string name, const BASS_MIDI_EVENT* event, DWORD length,
                     std::int32_t value)
    : event(event), length(length), name(std::move(name)), value(value) {
  if (!event) {
    throw std::invalid_argument("Non-empty instance of BASS_MIDI_EVENT must be passed!");
  }
}

}  // namespace ostrel
