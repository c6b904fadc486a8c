// The resolutions the setup dialog offers: the display's 16:9 modes in enumeration order,
// without the repeats drivers list for each colour depth and refresh rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

struct DisplayMode {
  std::uint32_t width = 0;   // pixels
  std::uint32_t height = 0;

  bool operator==(const DisplayMode&) const = default;
};

// The dialog lists at most this many modes.
inline constexpr std::size_t kMaxDisplayModes = 4096;

// True when height is width * 9 / 16 rounded down (1366 x 768 is, 1360 x 768 is not).
bool isSixteenByNine(DisplayMode mode);

// The modes to list, from the modes as the display enumerates them: 16:9 only; a mode equal
// to the one listed just before it is dropped, so each run of repeats is listed once and a
// size that comes back after others is listed again; at most kMaxDisplayModes.
std::vector<DisplayMode> listSetupModes(const std::vector<DisplayMode>& enumerated);

// The entry to select at first: the last entry equal to width x height, else the last
// entry; -1 for an empty list.
int initialModeSelection(const std::vector<DisplayMode>& modes, std::uint32_t width,
                         std::uint32_t height);

// The list text of a mode, "1920 * 1080".
std::string displayModeLabel(DisplayMode mode);

}  // namespace ostrel
