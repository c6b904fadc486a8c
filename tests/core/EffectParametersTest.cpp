// The effect values a frame computes from its active blocks, the scene time of a section and
// the logo schedule.
#include "demo/BlockHandler.h"
#include "demo/EffectParameters.h"
#include "demo/IncompleteBlocks.h"
#include "demo/LogoSchedule.h"
#include "demo/SceneTime.h"

#include "audio/Dispatcher.h"
#include "audio/MidiEvents.h"
#include "bass/MidiFileReader.h"
#include "TimelineFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

namespace ostrel {
namespace {

using Velocities = std::vector<std::pair<std::string, int>>;

// Blocks made by hand, with parameters of chosen velocities.
class Blocks {
public:
  Block* add(const std::string& name, QWORD start, QWORD end, const Velocities& velocities) {
    auto block = std::make_unique<Block>();
    block->name = name;
    block->start = start;
    block->end = end;
    block->length = end - start;
    for (const auto& [parameter, velocity] : velocities) {
      events.push_back({MIDI_EVENT_NOTE, DWORD(2 | velocity << 8), 0, 0, DWORD(start)});
      block->parameters[parameter] =
          std::make_unique<Parameter>(parameter, &events.back(), 1, velocity);
    }
    blocks.push_back(std::move(block));
    return blocks.back().get();
  }

private:
  std::deque<BASS_MIDI_EVENT> events;
  std::vector<std::unique_ptr<Block>> blocks;
};

// Every parameter the kind's handler reads, at velocity 1 (0.0) for start values and 127
// (1.0) for end values unless given.
Velocities complete(const std::string& kind, Velocities given = {}) {
  for (const std::string& name : parametersReadBy(kind)) {
    const bool isGiven = std::any_of(given.begin(), given.end(),
                                     [&](const auto& pair) { return pair.first == name; });
    if (!isGiven) {
      given.emplace_back(name, name.rfind("start", 0) == 0 ? 1 : 127);
    }
  }
  return given;
}

std::vector<float> flat(const EffectParameters& parameters) {
  std::vector<float> values(36);
  std::memcpy(values.data(), &parameters, sizeof parameters);
  return values;
}

EffectParameters frameAt(const std::vector<Block*>& active, QWORD position) {
  EffectParameters parameters;
  parameters.colorParameters.fill(-1.0f);  // what an earlier frame left
  updateEffectParameters(active, position, parameters);
  return parameters;
}

TEST(EffectParameters, FrameWithoutHandledBlocksHoldsThe36DefaultsInTheirOrder) {
  Blocks blocks;
  Block* other = blocks.add("Bass", 0, 100, {{"startFlash", 127}});
  const std::vector<float> defaults = {
      0.01f,  0.5f,   0.8f,                                                     // depth of field
      0.502f, 0.47f,  0.497f, 0.5f,   0.51f,  0.723f,                           // lens
      0.547f, 0.552f, 0.436f, 0.697f, 0.645f, 0.528f, 0.413f, 1.0f,             // colour
      0.387f, 0.46f,  0.588f, 0.676f, 0.0f,   0.0f,   0.0f,   0.0f,
      0.0f,                                                                     // overlay
      0.206f, 0.931f, 0.137f, 0.0f,   0.14f,  0.171f, 0.5f,   0.221f, 1.0f, 1.0f};  // bloom
  EXPECT_EQ(flat(frameAt({}, 50)), defaults);
  EXPECT_EQ(flat(frameAt({other}, 50)), defaults);
}

TEST(EffectParameters, ProgressThroughABlockIsClampedAndNeverDivides) {
  Blocks blocks;
  const Block& block = *blocks.add("Flash", 1000, 3000, {});
  const Block& instant = *blocks.add("Flash", 5000, 5000, {});
  EXPECT_EQ(blockProgress(block, 0), 0.0);
  EXPECT_EQ(blockProgress(block, 1000), 0.0);
  EXPECT_EQ(blockProgress(block, 1500), 0.25);
  EXPECT_EQ(blockProgress(block, 3000), 1.0);
  EXPECT_EQ(blockProgress(block, 9000), 1.0);
  EXPECT_EQ(blockProgress(instant, 4999), 0.0);
  EXPECT_EQ(blockProgress(instant, 5000), 0.0);
  EXPECT_EQ(blockProgress(instant, 5001), 1.0);
}

TEST(EffectParameters, WorkedExamplesAtHalfABlock) {
  Blocks blocks;
  Block* exposure = blocks.add("Exposure", 1'000'000, 2'000'000,
                               complete("Exposure", {{"startContrast", 127}, {"endContrast", 1}}));
  Block* glitch = blocks.add("Glitch", 1'000'000, 2'000'000, complete("Glitch"));
  const EffectParameters half = frameAt({exposure, glitch}, 1'500'000);
  EXPECT_EQ(half.colorParameters[EffectParameters::kExposure], 0.5f);
  EXPECT_EQ(half.colorParameters[EffectParameters::kContrast], 0.5f);
  EXPECT_EQ(half.colorParameters[EffectParameters::kGrain], 0.5f);
  // Glitch eases in cubically: a eighth of the way at half the block.
  EXPECT_EQ(half.colorParameters[EffectParameters::kGlitch0], 0.125f);
  EXPECT_EQ(half.colorParameters[EffectParameters::kGlitch2], 0.125f);
  EXPECT_EQ(half.colorParameters[EffectParameters::kRed], 0.645f);  // no "Color" block
}

TEST(EffectParameters, StartValuesAtTheStartEndValuesAtAndAfterTheEnd) {
  Blocks blocks;
  Block* flash = blocks.add("Flash", 1000, 5000, {{"startFlash", 127}, {"endFlash", 1}});
  Block* instant = blocks.add("Flash", 8000, 8000, {{"startFlash", 64}, {"endFlash", 127}});
  const auto flashAt = [](Block* block, QWORD position) {
    return frameAt({block}, position).colorParameters[EffectParameters::kFlash];
  };
  EXPECT_EQ(flashAt(flash, 1000), 1.0f);
  EXPECT_EQ(flashAt(flash, 2000), 0.75f);
  EXPECT_EQ(flashAt(flash, 5000), 0.0f);
  EXPECT_EQ(flashAt(flash, 5400), 0.0f);  // a handler may read a later position
  EXPECT_EQ(flashAt(instant, 8000), 0.5f);
  EXPECT_EQ(flashAt(instant, 8001), 1.0f);
}

TEST(EffectParameters, LaterBlockOfAKindWins) {
  Blocks blocks;
  Block* first = blocks.add("Color", 0, 1000, complete("Color"));
  Block* second = blocks.add("Color", 500, 3000,
                             complete("Color", {{"startRed", 127}, {"startGreen", 127}}));
  const EffectParameters both = frameAt({first, second}, 500);
  EXPECT_EQ(both.colorParameters[EffectParameters::kRed], 1.0f);
  EXPECT_EQ(both.colorParameters[EffectParameters::kGreen], 1.0f);
  EXPECT_EQ(both.colorParameters[EffectParameters::kBlue], 0.0f);
  const EffectParameters reversed = frameAt({second, first}, 500);
  EXPECT_EQ(reversed.colorParameters[EffectParameters::kRed], 0.5f);
  EXPECT_EQ(reversed.colorParameters[EffectParameters::kGreen], 0.5f);
}

TEST(EffectParameters, DepthOfFieldUnpacksTriplesHighByteFirst) {
  Blocks blocks;
  Block* dof = blocks.add("DOF", 0, 1000,
                          complete("DOF", {{"startFocus1", 127},
                                           {"startFocus2", 1},
                                           {"startFocus3", 1},
                                           {"startAperture1", 1},
                                           {"startAperture2", 127},
                                           {"startAperture3", 127},
                                           {"endLimit1", 64}}));
  const EffectParameters start = frameAt({dof}, 0);
  EXPECT_EQ(start.dofParameters[EffectParameters::kFocus], 16711680.0f / 16777215.0f);
  EXPECT_EQ(start.dofParameters[EffectParameters::kAperture], 65535.0f / 16777215.0f);
  EXPECT_EQ(start.dofParameters[EffectParameters::kLimit], 0.0f);
  const EffectParameters end = frameAt({dof}, 1000);
  EXPECT_EQ(end.dofParameters[EffectParameters::kLimit], packedVelocityValue(64, 127, 127));
}

TEST(EffectParameters, HandlersReadEveryStartValueThenEveryEndValue) {
  EXPECT_EQ(parametersReadBy("Exposure"),
            (std::vector<std::string>{"startContrast", "startExposure", "startGrain",
                                      "endContrast", "endExposure", "endGrain"}));
  const auto dof = parametersReadBy("DOF");
  ASSERT_EQ(dof.size(), 18u);
  EXPECT_EQ(dof[0], "startFocus1");
  EXPECT_EQ(dof[3], "startAperture1");
  EXPECT_EQ(dof[8], "startLimit3");
  EXPECT_EQ(dof[9], "endFocus1");
  EXPECT_TRUE(parametersReadBy("Bass").empty());
  EXPECT_TRUE(parametersReadBy("flash").empty());  // names compare exactly
  // The handlers read what the registry's mapping names, and nothing else.
  for (const auto& [track, notes] : Resources().trackParameterMapping) {
    std::vector<std::string> mapped;
    for (const auto& [note, parameter] : notes) {
      mapped.push_back(parameter);
    }
    auto read = parametersReadBy(track);
    std::sort(mapped.begin(), mapped.end());
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read, mapped) << track;
  }
}

TEST(SceneTime, MapsSectionProgressIntoTheEntrysStretch) {
  const MarkerScene buildup{0.2, 0.5, "simtest2", "Camera_001"};
  EXPECT_DOUBLE_EQ(sceneAnimationTime(buildup, "Buildup", 0, 10, 0.5), 3.5);
  EXPECT_DOUBLE_EQ(sceneAnimationTime(buildup, "Buildup", 2, 12, 0.0), 4.0);
  EXPECT_DOUBLE_EQ(sceneAnimationTime(buildup, "Buildup", 2, 12, 1.0), 7.0);
  // An entry running backwards plays the animation backwards.
  const MarkerScene begin{1.0, 0.0, "sceneKvLogo", "Camera_003"};
  EXPECT_DOUBLE_EQ(sceneAnimationTime(begin, "BEGIN", 0, 8, 0.0), 8.0);
  EXPECT_DOUBLE_EQ(sceneAnimationTime(begin, "BEGIN", 0, 8, 0.25), 6.0);
  // "Tessane" (and only that exact name) runs its stretch reversed.
  const MarkerScene tessane{0.0, 1.0, "sceneKvLogo", "Camera_002"};
  EXPECT_DOUBLE_EQ(sceneAnimationTime(tessane, "Tessane", 0, 8, 0.0), 8.0);
  EXPECT_DOUBLE_EQ(sceneAnimationTime(tessane, "Tessane", 0, 8, 0.75), 2.0);
  EXPECT_DOUBLE_EQ(sceneAnimationTime(tessane, "tessane", 0, 8, 0.75), 6.0);
  // A scene without animation keeps its one time.
  EXPECT_DOUBLE_EQ(sceneAnimationTime(buildup, "Buildup", 3, 3, 0.5), 3.0);
}

TEST(LogoSchedule, WindowsAndTheirBounds) {
  using Texture = LogoOverlay::Texture;
  const std::vector<std::pair<double, Texture>> cases = {
      {0.0, Texture::preload},        {172.889999, Texture::preload},
      {double(172.89f), Texture::preload}, {172.89, Texture::logo1},
      {176.999999, Texture::logo1},   {177.0, Texture::logo2},
      {180.999999, Texture::logo2},   {181.0, Texture::preload},
      {221.0, Texture::preload}};
  for (const auto& [seconds, texture] : cases) {
    const LogoOverlay overlay = logoOverlayAt(seconds);
    EXPECT_EQ(overlay.texture, texture) << seconds;
    EXPECT_EQ(overlay.opacity, texture == Texture::preload ? 0.0f : 1.0f) << seconds;
  }
}

class IncompleteBlocksAtStartUp : public testing::ManualOutputTest {};

TEST_F(IncompleteBlocksAtStartUp, NameTheFileTrackPositionAndMissingParameter) {
  using testing::TimelineBuilder;
  TimelineBuilder builder;
  builder.marker(0, 0, "Quorvel").trackName(1, "Flash").trackName(2, "Exposure");
  builder.note(1, 0, 100, 0, 100).note(1, 0, 1, 2, 127).note(1, 0, 1, 3, 1);  // complete
  // An "Exposure" block at bar 2, beat 1.5 (441 ticks a beat) without "startGrain" (E-0),
  // and a later one with nothing at all.
  const std::uint32_t tick = 4 * 441 + 220;
  builder.note(2, tick, 441, 0, 100);
  for (int key : {2, 3, 6, 7, 8}) {
    builder.note(2, tick, 1, key, 64);
  }
  builder.note(2, 12 * 441, 441, 0, 100);
  const testing::Bytes bytes = builder.bytes();

  MidiEvents midiEvents(openMidi(bytes));
  Dispatcher dispatcher(&midiEvents);
  dispatcher.setTrackParameterMapping(Resources().trackParameterMapping);
  const std::vector<Block*> blocks = dispatcher.getBlocks();
  const MusicalClock clock(bass::MidiFileReader::read(bytes));
  try {
    rejectIncompleteBlocks(blocks, "resources\\Brannoch.mid", clock);
    FAIL() << "accepted";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(),
                 "The timeline resources\\Brannoch.mid has an incomplete block: the 'Exposure' "
                 "block at 4.499 s (2:1.50) misses startGrain, which its effect reads. 1 more "
                 "block is incomplete; timeline-check lists them all.");
  }
  blocks.back()->name = "Bass";  // a kind no effect handles may carry anything
  blocks[1]->parameters.emplace("startGrain", nullptr);
  EXPECT_NO_THROW(rejectIncompleteBlocks(blocks, "test.mid", clock));
}

}  // namespace
}  // namespace ostrel
