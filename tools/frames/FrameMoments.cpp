// Moments of the music as byte positions.
#include "tools/frames/FrameMoments.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ostrel::frames {
namespace {

constexpr QWORD kBytesPerFrame = 4;
constexpr double kFramesPerSecond = 44100;

QWORD wholeFrame(QWORD position) { return position / kBytesPerFrame * kBytesPerFrame; }

void addSectionMiddles(const Marker* markers, DWORD count, QWORD audioLength,
                       std::vector<QWORD>& positions) {
  for (DWORD index = 0; index < count; ++index) {
    const QWORD start = markers[index].pos;
    const QWORD end = index + 1 < count ? QWORD(markers[index + 1].pos) : audioLength;
    if (start < end) {
      positions.push_back(wholeFrame(start + (end - start) / 2));
    }
  }
}

void addFramesAroundMarkers(const Marker* markers, DWORD count, std::vector<QWORD>& positions) {
  for (DWORD index = 0; index < count; ++index) {
    const QWORD marker = markers[index].pos;
    if (marker == 0) {
      continue;
    }
    const QWORD firstAfter = (marker + kFrameStepBytes - 1) / kFrameStepBytes * kFrameStepBytes;
    positions.push_back(firstAfter - kFrameStepBytes);
    positions.push_back(firstAfter);
  }
}

}  // namespace

std::vector<QWORD> momentPositions(const std::vector<std::string>& moments,
                                   const Marker* markers, DWORD markerCount, QWORD audioLength) {
  std::vector<QWORD> positions;
  for (const std::string& moment : moments) {
    if (moment == "middles") {
      addSectionMiddles(markers, markerCount, audioLength, positions);
    } else if (moment == "markers") {
      addFramesAroundMarkers(markers, markerCount, positions);
    } else {
      const double seconds = std::strtod(moment.c_str(), nullptr);
      positions.push_back(QWORD(std::llround(seconds * kFramesPerSecond)) * kBytesPerFrame);
    }
  }
  std::erase_if(positions, [audioLength](QWORD position) { return position >= audioLength; });
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  return positions;
}

}  // namespace ostrel::frames
