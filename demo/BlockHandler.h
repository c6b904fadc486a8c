// The handlers that turn the blocks active in a frame into effect parameters: one per block
// kind ("Exposure", "Color", "Glitch", "Flash", "DOF"), each moving the values it owns from
// their start to their end values as the music advances through the block.
//
// A frame's post chain begins with updateEffectParameters(activeBlocks, position,
// effectParameters): the defaults, then the handler of each active block by its name, each
// at the block's progress at the frame's one audio position.
#pragma once

#include "audio/Block.h"
#include "demo/EffectParameters.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

struct BlockHandler {
  enum class Ease {
    linear,  // e = t
    cubic,   // e = t * t * t: slow at first, the whole change at the end
  };

  // One value the handler drives: (1 - e) * start + e * end, in single precision.
  struct Value {
    const char* label;  // what the value is, for people ("contrast")
    // The block's parameters that hold the start and end values: one name read with
    // getValue, or three read with getColor (the high byte first). Unused names are null.
    std::array<const char*, 3> startNames;
    std::array<const char*, 3> endNames;
    float& (*target)(EffectParameters&);
  };

  static constexpr std::size_t kMaxValues = 3;

  const char* kind;  // the block's name, which is its track's name
  Ease ease;
  bool packedTriples;  // values are getColor triples (depth of field)
  std::span<const Value> values;
};

// Every handler, in the order the names are compared.
std::span<const BlockHandler> blockHandlers();
// The handler of a block of that name (exact, case-sensitive), or null: no effect handles it.
const BlockHandler* blockHandlerFor(std::string_view blockKind);

// The parameters a block of this kind must carry because its handler reads them, in the
// order it reads them (all start values, then all end values); empty for a kind no effect
// handles. A block that lacks one would end the run when it becomes active, so the program
// and the authors' checker both hold timelines to this.
std::vector<std::string> parametersReadBy(std::string_view blockKind);
// Those of them for which hasParameter is false.
std::vector<std::string> missingParameters(
    std::string_view blockKind, const std::function<bool(const std::string&)>& hasParameter);

// 0..1: how far audioPosition (bytes of the audio stream) lies through the block; 0 at or
// before its start, 1 at or after its end. A block whose start is its end never divides.
double blockProgress(const Block& block, QWORD audioPosition);

// Moves the handler's values to progress through the block. Reads every start value, then
// every end value. Throws std::out_of_range for a parameter the block lacks.
void runBlockHandler(const BlockHandler& handler, const Block& block, double progress,
                     EffectParameters& parameters);

// One frame's values: the defaults, then the handler of every active block in list order,
// so that of two blocks of one kind the later one's values stand. Blocks of other names are
// ignored.
void updateEffectParameters(const std::vector<Block*>& activeBlocks, QWORD audioPosition,
                            EffectParameters& parameters);

}  // namespace ostrel
