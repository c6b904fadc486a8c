// The resolutions the setup dialog offers.
#include "ui/DisplayModes.h"

#include <gtest/gtest.h>

#include <vector>

namespace ostrel {
namespace {

using Modes = std::vector<DisplayMode>;

TEST(DisplayModes, KeepsSixteenByNineSizesOnly) {
  const Modes enumerated = {{640, 480},   {1280, 720},  {1280, 800},  {1024, 768},
                            {1360, 768},  {1366, 768},  {1280, 1024}, {1600, 900},
                            {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1440},
                            {3840, 2160}, {854, 480},   {0, 0}};
  const Modes expected = {{1280, 720}, {1366, 768},  {1600, 900}, {1920, 1080},
                          {2560, 1440}, {3840, 2160}, {854, 480},  {0, 0}};
  EXPECT_EQ(listSetupModes(enumerated), expected);
}

TEST(DisplayModes, CollapsesRunsOfRepeatsButListsASizeThatComesBackAgain) {
  // As drivers list them: each size at several colour depths and refresh rates in a row.
  const Modes enumerated = {{1280, 720},  {1280, 720},  {1280, 720}, {1280, 1024},
                            {1280, 720},  {1920, 1080}, {1600, 900}, {1600, 900},
                            {1920, 1080}, {1920, 1080}};
  const Modes expected = {{1280, 720}, {1920, 1080}, {1600, 900}, {1920, 1080}};
  EXPECT_EQ(listSetupModes(enumerated), expected);
}

TEST(DisplayModes, NothingToListGivesAnEmptyList) {
  EXPECT_TRUE(listSetupModes({}).empty());
  EXPECT_TRUE(listSetupModes({{1024, 768}, {1280, 1024}}).empty());
}

TEST(DisplayModes, ListsAtMost4096ModesInEnumerationOrder) {
  Modes enumerated;
  for (std::uint32_t step = 1; step <= 5000; ++step) {
    enumerated.push_back({16 * step, 9 * step});
  }
  const Modes listed = listSetupModes(enumerated);
  ASSERT_EQ(listed.size(), kMaxDisplayModes);
  EXPECT_EQ(listed.front(), (DisplayMode{16, 9}));
  EXPECT_EQ(listed.back(), (DisplayMode{16 * 4096, 9 * 4096}));
}

TEST(DisplayModes, SixteenByNineRoundsHeightDown) {
  EXPECT_TRUE(isSixteenByNine({1366, 768}));   // 768.375
  EXPECT_FALSE(isSixteenByNine({1366, 769}));
  EXPECT_FALSE(isSixteenByNine({1360, 768}));  // 765
  EXPECT_TRUE(isSixteenByNine({1360, 765}));
}

TEST(DisplayModes, InitialSelectionIsTheLastMatchElseTheLastEntry) {
  const Modes modes = {{1280, 720}, {1920, 1080}, {1600, 900}, {1920, 1080}, {2560, 1440}};
  EXPECT_EQ(initialModeSelection(modes, 1920, 1080), 3);
  EXPECT_EQ(initialModeSelection(modes, 1280, 720), 0);
  EXPECT_EQ(initialModeSelection(modes, 0, 0), 4);  // settings cleared before the dialog
  EXPECT_EQ(initialModeSelection({}, 0, 0), -1);
}

TEST(DisplayModes, LabelIsWidthStarHeight) {
  EXPECT_EQ(displayModeLabel({1920, 1080}), "1920 * 1080");
  EXPECT_EQ(displayModeLabel({3840, 2160}), "3840 * 2160");
}

}  // namespace
}  // namespace ostrel
