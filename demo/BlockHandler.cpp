// The five block handlers, described as tables of the values each drives.
#include "demo/BlockHandler.h"

#include "audio/NormalizedPosition.h"

#include <algorithm>

namespace ostrel {
namespace {

using Ease = BlockHandler::Ease;
using Value = BlockHandler::Value;

template <std::size_t Index>
float& color(EffectParameters& parameters) {
  return parameters.colorParameters[Index];
}
template <std::size_t Index>
float& depthOfField(EffectParameters& parameters) {
  return parameters.dofParameters[Index];
}

constexpr Value kExposureValues[] = {
    {"contrast", {"startContrast"}, {"endContrast"}, &color<EffectParameters::kContrast>},
    {"exposure", {"startExposure"}, {"endExposure"}, &color<EffectParameters::kExposure>},
    {"grain", {"startGrain"}, {"endGrain"}, &color<EffectParameters::kGrain>},
};
constexpr Value kColorValues[] = {
    {"red", {"startRed"}, {"endRed"}, &color<EffectParameters::kRed>},
    {"green", {"startGreen"}, {"endGreen"}, &color<EffectParameters::kGreen>},
    {"blue", {"startBlue"}, {"endBlue"}, &color<EffectParameters::kBlue>},
};
constexpr Value kGlitchValues[] = {
    {"glitch 0", {"startGlitch0"}, {"endGlitch0"}, &color<EffectParameters::kGlitch0>},
    {"glitch 1", {"startGlitch1"}, {"endGlitch1"}, &color<EffectParameters::kGlitch1>},
    {"glitch 2", {"startGlitch2"}, {"endGlitch2"}, &color<EffectParameters::kGlitch2>},
};
constexpr Value kFlashValues[] = {
    {"flash", {"startFlash"}, {"endFlash"}, &color<EffectParameters::kFlash>},
};
constexpr Value kDepthOfFieldValues[] = {
    {"focus",
     {"startFocus1", "startFocus2", "startFocus3"},
     {"endFocus1", "endFocus2", "endFocus3"},
     &depthOfField<EffectParameters::kFocus>},
    {"aperture",
     {"startAperture1", "startAperture2", "startAperture3"},
     {"endAperture1", "endAperture2", "endAperture3"},
     &depthOfField<EffectParameters::kAperture>},
    {"limit",
     {"startLimit1", "startLimit2", "startLimit3"},
     {"endLimit1", "endLimit2", "endLimit3"},
     &depthOfField<EffectParameters::kLimit>},
};

constexpr BlockHandler kHandlers[] = {
    {"Exposure", Ease::linear, false, kExposureValues},
    {"Color", Ease::linear, false, kColorValues},
    {"Glitch", Ease::cubic, false, kGlitchValues},
    {"Flash", Ease::linear, false, kFlashValues},
    {"DOF", Ease::linear, true, kDepthOfFieldValues},
};

constexpr bool fitsTheHandlers() {
  for (const BlockHandler& handler : kHandlers) {
    if (handler.values.size() > BlockHandler::kMaxValues) {
      return false;
    }
  }
  return true;
}
static_assert(fitsTheHandlers(), "a handler drives more values than runBlockHandler holds");

float read(const BlockHandler& handler, const Block& block,
           const std::array<const char*, 3>& names) {
  return handler.packedTriples ? block.getColor(names[0], names[1], names[2])
                               : block.getValue(names[0]);
}

void forEachName(const std::array<const char*, 3>& names,
                 const std::function<void(const std::string&)>& action) {
  for (const char* name : names) {
    if (name) {
      action(name);
    }
  }
}

}  // namespace

std::span<const BlockHandler> blockHandlers() { return kHandlers; }

const BlockHandler* blockHandlerFor(std::string_view blockKind) {
  const auto found = std::find_if(std::begin(kHandlers), std::end(kHandlers),
                                  [&](const BlockHandler& h) { return blockKind == h.kind; });
  return found == std::end(kHandlers) ? nullptr : found;
}

std::vector<std::string> parametersReadBy(std::string_view blockKind) {
  std::vector<std::string> names;
  const BlockHandler* handler = blockHandlerFor(blockKind);
  if (!handler) {
    return names;
  }
  const auto collect = [&](const std::string& name) { names.push_back(name); };
  for (const Value& value : handler->values) {
    forEachName(value.startNames, collect);
  }
  for (const Value& value : handler->values) {
    forEachName(value.endNames, collect);
  }
  return names;
}

std::vector<std::string> missingParameters(
    std::string_view blockKind, const std::function<bool(const std::string&)>& hasParameter) {
  std::vector<std::string> missing = parametersReadBy(blockKind);
  std::erase_if(missing, hasParameter);
  return missing;
}

double blockProgress(const Block& block, QWORD audioPosition) {
  return progressThrough(block.start, block.end, audioPosition);
}

void runBlockHandler(const BlockHandler& handler, const Block& block, double progress,
                     EffectParameters& parameters) {
  std::array<float, BlockHandler::kMaxValues> starts{};
  std::array<float, BlockHandler::kMaxValues> ends{};
  const std::size_t count = handler.values.size();
  for (std::size_t index = 0; index < count; ++index) {
    starts[index] = read(handler, block, handler.values[index].startNames);
  }
  for (std::size_t index = 0; index < count; ++index) {
    ends[index] = read(handler, block, handler.values[index].endNames);
  }
  const float t = float(progress);
  const float e = handler.ease == Ease::cubic ? t * t * t : t;
  for (std::size_t index = 0; index < count; ++index) {
    handler.values[index].target(parameters) = (1.0f - e) * starts[index] + e * ends[index];
  }
}

void updateEffectParameters(const std::vector<Block*>& activeBlocks, QWORD audioPosition,
                            EffectParameters& parameters) {
  parameters.reset();
  for (const Block* block : activeBlocks) {
    if (const BlockHandler* handler = blockHandlerFor(block->name)) {
      runBlockHandler(*handler, *block, blockProgress(*block, audioPosition), parameters);
    }
  }
}

}  // namespace ostrel
