// Filtering of the display modes for the setup dialog.
#include "ui/DisplayModes.h"

namespace ostrel {

bool isSixteenByNine(DisplayMode mode) {
  // Unsigned 32-bit arithmetic, as the mode fields are.
  return mode.height == (mode.width * 9u) >> 4;
}

std::vector<DisplayMode> listSetupModes(const std::vector<DisplayMode>& enumerated) {
  std::vector<DisplayMode> listed;
  for (const DisplayMode& mode : enumerated) {
    if (listed.size() == kMaxDisplayModes) {
      break;
    }
    if (!isSixteenByNine(mode) || (!listed.empty() && listed.back() == mode)) {
      continue;
    }
    listed.push_back(mode);
  }
  return listed;
}

int initialModeSelection(const std::vector<DisplayMode>& modes, std::uint32_t width,
                         std::uint32_t height) {
  int selection = int(modes.size()) - 1;
  for (int index = 0; index < int(modes.size()); ++index) {
    if (modes[index] == DisplayMode{width, height}) {
      selection = index;
    }
  }
  return selection;
}

std::string displayModeLabel(DisplayMode mode) {
  return std::to_string(mode.width) + " * " + std::to_string(mode.height);
}

}  // namespace ostrel
