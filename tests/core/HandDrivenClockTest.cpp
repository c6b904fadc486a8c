// The hand-driven clock puts the production's music exactly where a frame wants it, without
// a sound card, and only forward.
#include "audio/AudioManager.h"
#include "audio/HandDrivenClock.h"
#include "bass/Library.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace ostrel {
namespace {

const std::wstring kData = L"" OSTREL_TEST_DATA;

TEST(HandDrivenClock, MovesBothStreamsExactlyToEachPositionAndStopsAtTheEnd) {
  HandDrivenClock clock;
  {
    AudioManager manager(nullptr);  // on the hand-driven device, which needs no sound card
    ASSERT_TRUE(manager.initialized);
    ASSERT_TRUE(manager.loadFiles(kData + L"/tone-1s.ogg", kData + L"/tempo-change.mid"));
    manager.audio->play();
    manager.midi->play();

    // A 60 Hz frame step is 735 frames; a second more in one jump.
    for (const QWORD position : {0ull, 2940ull, 2940ull, 5880ull, 176400ull - 4}) {
      clock.advanceTo(*manager.audio, position);
      EXPECT_EQ(manager.audio->getPosition(), position);
      EXPECT_EQ(manager.midi->getPosition(), position);
    }
    EXPECT_THROW(clock.advanceTo(*manager.audio, 2940), std::invalid_argument);
    EXPECT_EQ(manager.audio->getPosition(), 176400u - 4);

    // Past the end of the one-second tone the music stands at its end, as the frame loop's
    // end test expects.
    clock.advanceTo(*manager.audio, 10 * 176400);
    EXPECT_EQ(manager.audio->getPosition(), manager.audio->getLength());
    EXPECT_FALSE(isBeforeEnd(*manager.audio));
  }
  bass::Library::instance().useOutputDriver(nullptr);
}

}  // namespace
}  // namespace ostrel
