// The audio positions of the moments asked for, in the order of the music.
#pragma once

#include "audio/Marker.h"

#include <string>
#include <vector>

namespace ostrel::frames {

// A 60 Hz frame of the music: 735 frames of 16-bit stereo, in bytes.
inline constexpr QWORD kFrameStepBytes = 735 * 4;

// Byte positions (whole frames of audio, below audioLength) of moments: seconds, "middles"
// (the middle of every section: from each marker to the next, the last to the end of the
// music) and "markers" (for every marker after the start, the last 60 Hz frame before it
// and the first at or after it). Sorted, each once.
std::vector<QWORD> momentPositions(const std::vector<std::string>& moments,
                                   const Marker* markers, DWORD markerCount, QWORD audioLength);

}  // namespace ostrel::frames
