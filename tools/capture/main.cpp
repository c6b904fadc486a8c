// demo-capture: the production frame by frame at a fixed step, each frame read back and
// written raw for an encoder. The release's start-up and frame through the same Demo and
// passes; only the clock differs: a hand-driven one moves the music to each frame's position,
// so no sound card is needed and the same range gives the same frames every time.
#include "app/FatalError.h"
#include "app/Production.h"
#include "audio/AudioManager.h"
#include "audio/HandDrivenClock.h"
#include "demo/Demo.h"
#include "registry/Resources.h"
#include "registry/TextConversion.h"
#include "render/GraphicsContext.h"
#include "render/StepTimer.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/CapturePlan.h"
#include "tools/capture/RawFrameFile.h"
#include "tools/frames/BackBufferReader.h"

#include <fmt/format.h>

#include <cstdio>
#include <stdexcept>

namespace ostrel::capture {
namespace {

void sayLine(const std::string& text) {
  std::fputs((text + "\n").c_str(), stdout);
  std::fflush(stdout);
}

// What the encoder needs before the first frame: which frames, their size and rate, and the
// stretch of which music file to put under them.
void announcePlan(const CapturePlan& plan, const CaptureOptions& options) {
  sayLine(fmt::format("plan\t{}\t{}\t{}\t{}\t{}\t{}\t{}\t{}", plan.firstFrame, plan.endFrame,
                      plan.framesPerSecond, options.width, options.height, plan.firstSample(),
                      plan.endSample(), toUtf8(masterResources().files.at("audioTrack"))));
}

// What a frame showed, after its pixels were written.
void announceFrame(std::uint64_t frame, const Demo::ShownFrame& shown) {
  sayLine(fmt::format("frame\t{}\t{}\t{}\t{}\t{:.6f}\t{}", frame, shown.audioPosition,
                      shown.marker, shown.sceneKey, shown.sceneTime, shown.overlayAlpha));
}

// Seconds the frames spent in each part, summed.
struct PartTimes {
  double clock = 0;    // moving the music to the frame (decoding up to it)
  double drawing = 0;  // waited for until the device finished the frame
  double readBack = 0;
  double writing = 0;  // including the wait for the encoder to take the frame
  double presenting = 0;
};

void announceTimes(std::uint64_t frames, const PartTimes& times) {
  sayLine(fmt::format("timing\t{}\t{:.3f}\t{:.3f}\t{:.3f}\t{:.3f}\t{:.3f}", frames, times.clock,
                      times.drawing, times.readBack, times.writing, times.presenting));
}

// One frame after another: the music moved to the frame's position, the release's frame
// drawn, read back, written and presented, and what it showed announced.
class FrameCapture {
public:
  FrameCapture(Production& production, HandDrivenClock& clock, const CaptureOptions& options)
      : production(production),
        clock(clock),
        options(options),
        output(options.framesPath),
        reader(production.graphics().device.Get(), production.graphics().context.Get(),
               production.graphics().swapChain.Get()) {}

  void capture(std::uint64_t frame, std::uint64_t position) {
    timed(times.clock, [&] { clock.advanceTo(*production.audio().audio, position); });
    timed(times.drawing, [&] {
      production.drawFrame();
      reader.waitForDevice();
    });
    frames::Picture picture;
    timed(times.readBack, [&] { picture = reader.read(); });
    checkSize(picture);
    timed(times.writing, [&] { output.write(picture); });
    timed(times.presenting, [&] { production.present(); });
    announceFrame(frame, production.demo().shownFrame());
  }

  const PartTimes& partTimes() const { return times; }

private:
  void checkSize(const frames::Picture& picture) const {
    if (picture.width != options.width || picture.height != options.height) {
      throw std::runtime_error(fmt::format("The frame came out {}x{}, not the {}x{} asked for",
                                           picture.width, picture.height, options.width,
                                           options.height));
    }
  }

  Production& production;
  HandDrivenClock& clock;
  const CaptureOptions& options;
  RawFrameFile output;
  frames::BackBufferReader reader;
  PartTimes times;
};

void capture(Production& production, HandDrivenClock& clock, const CaptureOptions& options) {
  production.start();
  production.startPlayback();
  const CapturePlan plan =
      planCapture(options.framesPerSecond, options.fromSeconds, options.toSeconds,
                  production.audio().audio->getLength() / kBytesPerSample);
  announcePlan(plan, options);
  FrameCapture frames(production, clock, options);
  for (std::uint64_t frame = plan.firstFrame; frame < plan.endFrame; ++frame) {
    frames.capture(frame, plan.positionOf(frame));
    if (!production.handleOneMessage()) {
      throw std::runtime_error(fmt::format("The capture was stopped after frame {} (of {} to {}): "
                                           "its window was closed",
                                           frame, plan.firstFrame, plan.endFrame - 1));
    }
  }
  announceTimes(plan.frameCount(), frames.partTimes());
}

int run(const CaptureOptions& options) {
  // Before the audio library starts: with it the music moves only when told to.
  HandDrivenClock clock;
  reportFatalErrorsWithoutMessageBox();
  return Production::run(GetModuleHandleW(nullptr), [&](Production& production) {
    production.chooseSettings(options.width, options.height);
    capture(production, clock, options);
  });
}

}  // namespace
}  // namespace ostrel::capture

int wmain(int argc, wchar_t** argv) {
  using namespace ostrel::capture;
  std::vector<std::string> arguments;
  for (int index = 1; index < argc; ++index) {
    arguments.push_back(ostrel::toUtf8(argv[index]));
  }
  CaptureOptions options;
  try {
    options = parseCaptureOptions(arguments);
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "%s\n\n%s", error.what(), kCaptureUsage);
    return 2;
  }
  return run(options);
}
