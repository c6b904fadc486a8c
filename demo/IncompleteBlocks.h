// Start-up's check that every block of a kind an effect handles carries each parameter its
// handler reads: such a block would otherwise end the show mid-way, when it becomes active.
#pragma once

#include "audio/Block.h"
#include "audio/MusicalClock.h"

#include <string>
#include <vector>

namespace ostrel {

// Throws std::runtime_error when a block is incomplete, naming timelineName, the first such
// block's track and position (seconds and bar:beat) and the parameters it misses.
void rejectIncompleteBlocks(const std::vector<Block*>& blocks, const std::string& timelineName,
                            const MusicalClock& clock);

}  // namespace ostrel
