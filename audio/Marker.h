// One mark of the MIDI timeline: a marker naming a section, or a track name.
#pragma once

#include "bass/bassmidi.h"

namespace ostrel {

// Laid out as the audio library's mark record, so marks are copied straight from it.
using Marker = BASS_MIDI_MARK;

}  // namespace ostrel
