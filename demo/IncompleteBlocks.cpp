// The start-up check of the timeline's blocks.
#include "demo/IncompleteBlocks.h"

#include "demo/BlockHandler.h"

#include <fmt/format.h>

#include <stdexcept>

namespace ostrel {
namespace {

std::vector<std::string> missingFrom(const Block& block) {
  return missingParameters(block.name, [&](const std::string& name) {
    return block.parameters.count(name) != 0;
  });
}

}  // namespace

void rejectIncompleteBlocks(const std::vector<Block*>& blocks, const std::string& timelineName,
                            const MusicalClock& clock) {
  const Block* first = nullptr;
  std::vector<std::string> firstMissing;
  std::size_t incomplete = 0;
  for (const Block* block : blocks) {
    std::vector<std::string> missing = missingFrom(*block);
    if (missing.empty()) {
      continue;
    }
    if (incomplete++ == 0 || block->start < first->start) {
      first = block;
      firstMissing = std::move(missing);
    }
  }
  if (!first) {
    return;
  }
  std::string message = fmt::format(
      "The timeline {} has an incomplete block: the '{}' block at {:.3f} s ({}) misses {}, "
      "which its effect reads.",
      timelineName, first->name, MusicalClock::seconds(first->start),
      clock.barBeatAtByte(first->start), fmt::join(firstMissing, ", "));
  if (incomplete > 1) {
    message += fmt::format(" {} more block{} incomplete; timeline-check lists them all.",
                           incomplete - 1, incomplete == 2 ? " is" : "s are");
  }
  throw std::runtime_error(message);
}

}  // namespace ostrel
