// demo-capture: the production frame by frame at a fixed step, each frame read back and
// written raw for an encoder. The release's start-up and frame through the same Demo and
// passes; only the clock differs: a hand-driven one moves the music to each frame's position,
// so no sound card is needed and the same range gives the same frames every time.
#include "app/FatalError.h"
#include "app/GraphicsContext.h"
#include "app/Production.h"
#include "audio/AudioManager.h"
#include "audio/HandDrivenClock.h"
#include "demo/Demo.h"
#include "registry/Resources.h"
#include "registry/TextConversion.h"
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

void checkSize(const frames::Picture& picture, const CaptureOptions& options) {
  if (picture.width != options.width || picture.height != options.height) {
    throw std::runtime_error(fmt::format(
        "The frame came out {}x{}, not the {}x{} asked for: the display is too small for the "
        "window",
        picture.width, picture.height, options.width, options.height));
  }
}

void capture(Production& production, HandDrivenClock& clock, const CaptureOptions& options) {
  production.start();
  production.startPlayback();
  const AudioManagerInterface& music = *production.audio().audio;
  const CapturePlan plan =
      planCapture(options.framesPerSecond, options.fromSeconds, options.toSeconds,
                  music.getLength() / kBytesPerSample);
  announcePlan(plan, options);
  RawFrameFile output(options.framesPath);
  GraphicsContext& graphics = production.graphics();
  frames::BackBufferReader reader(graphics.device.Get(), graphics.context.Get(),
                                  graphics.swapChain.Get());
  for (std::uint64_t frame = plan.firstFrame; frame < plan.endFrame; ++frame) {
    clock.advanceTo(music, plan.positionOf(frame));
    production.drawFrame();
    const frames::Picture picture = reader.read();
    checkSize(picture, options);
    output.write(picture);
    production.present();
    announceFrame(frame, production.demo().shownFrame());
    if (!production.handleOneMessage()) {
      throw std::runtime_error(fmt::format("The capture was stopped after frame {} (of {} to {}): "
                                           "its window was closed",
                                           frame, plan.firstFrame, plan.endFrame - 1));
    }
  }
}

int run(const CaptureOptions& options) {
  // Before the audio library starts: with it the music moves only when told to.
  HandDrivenClock clock;
  reportFatalErrorsWithoutMessageBox();
  Production production(GetModuleHandleW(nullptr));
  production.chooseSettings(options.width, options.height);
  production.runToTheEnd([&] { capture(production, clock, options); });
  return 0;
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
