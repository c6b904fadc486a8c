// demo-frames: the production's frames at chosen moments of the music, exactly. The release's
// start-up and frame, with the music moved by a hand-driven clock instead of the sound card
// (or, with --play, the release's own frame loop on the sound card, every frame recorded).
#include "app/FatalError.h"
#include "app/Production.h"
#include "audio/AudioManager.h"
#include "audio/HandDrivenClock.h"
#include "demo/Demo.h"
#include "registry/TextConversion.h"
#include "render/GraphicsContext.h"
#include "render/ShaderBytecodeCache.h"
#include "render/StepTimer.h"
#include "tools/frames/BackBufferReader.h"
#include "tools/frames/CopyYardstick.h"
#include "tools/frames/FrameMoments.h"
#include "tools/frames/FrameOptions.h"

#include <fmt/format.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace ostrel::frames {
namespace {

std::string utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

double secondsOf(QWORD position) { return double(position) / (44100.0 * 4); }

void say(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

// Milliseconds of one frame's two halves, each waited for until the device finished it.
struct FrameTimes {
  double scene = 0;
  double post = 0;
};

// One line per frame drawn, comma-separated, with a header.
class FrameRecord {
public:
  explicit FrameRecord(const std::string& path) {
    if (path.empty()) {
      return;
    }
    file.open(std::filesystem::u8path(path));
    if (!file) {
      throw std::runtime_error("Unable to write the frame record " + path);
    }
    file << "frame,position,seconds,marker,scene,scene_time,overlay,scene_ms,post_ms,"
            "position_after_present,picture\n";
  }

  void add(const Demo::ShownFrame& shown, const FrameTimes& times, QWORD afterPresent,
           const std::string& picture) {
    if (file.is_open()) {
      file << fmt::format("{},{},{:.6f},{},{},{:.6f},{},{:.3f},{:.3f},{},{}\n", count,
                          shown.audioPosition, secondsOf(shown.audioPosition), shown.marker,
                          shown.sceneKey, shown.sceneTime, shown.overlayAlpha, times.scene,
                          times.post, afterPresent, picture);
    }
    ++count;
  }

private:
  std::ofstream file;
  int count = 0;
};

// The frames at chosen moments, on the hand-driven clock.
class MomentRenderer {
public:
  MomentRenderer(Production& production, HandDrivenClock& clock, const FrameOptions& options)
      : production(production),
        clock(clock),
        options(options),
        reader(production.graphics().device.Get(), production.graphics().context.Get(),
               production.graphics().swapChain.Get()),
        record(options.recordFile) {}

  // Draws, reads back and presents each moment; with a benchmark, draws it again timed.
  // Returns the timings by moment. Stops early at the quit message.
  std::vector<FrameTimes> run(const std::vector<QWORD>& positions) {
    std::vector<FrameTimes> timings;
    for (const QWORD position : positions) {
      clock.advanceTo(*production.audio().audio, position);
      production.drawFrame();
      const std::string picture = keepPicture(position);
      production.present();
      record.add(production.demo().shownFrame(), {}, production.audio().audio->getPosition(),
                 picture);
      if (options.benchmarkRepeats > 0) {
        timings.push_back(timedFrames());
      }
      if (!production.handleOneMessage()) {
        break;
      }
    }
    return timings;
  }

  BackBufferReader& backBuffer() { return reader; }

private:
  std::string keepPicture(QWORD position) {
    if (!options.writePictures) {
      return {};
    }
    const std::string name = fmt::format("frame-{:09.3f}s.png", secondsOf(position));
    writePng(utf8(std::filesystem::u8path(options.outputFolder) / name), reader.read());
    return name;
  }

  // The mean of the repeats, each half waited for.
  FrameTimes timedFrames() {
    double sceneSeconds = 0;
    double postSeconds = 0;
    for (int repeat = 0; repeat < options.benchmarkRepeats; ++repeat) {
      reader.waitForDevice();
      timed(sceneSeconds, [&] {
        production.application().renderFrameScene();
        reader.waitForDevice();
      });
      timed(postSeconds, [&] {
        production.application().postProcessFrame();
        reader.waitForDevice();
      });
      production.present();
    }
    const double repeats = options.benchmarkRepeats;
    return {sceneSeconds * 1000 / repeats, postSeconds * 1000 / repeats};
  }

  Production& production;
  HandDrivenClock& clock;
  const FrameOptions& options;
  BackBufferReader reader;
  FrameRecord record;
};

void printStartup(const Production& production, double firstFrame, std::uint32_t width,
                  std::uint32_t height) {
  const Production::StartupTimes& times = production.startupTimes();
  const Demo::LoadTimes& demo = production.demo().loadTimes();
  const ShaderBytecodeCache& shaders = shaderBytecodeCache();
  const double compiles = shaders.compileTime().count();
  const double rest = times.demo - compiles - demo.images - demo.sceneImports;
  const double total =
      times.windowAndDevice + times.audio + times.timeline + times.demo + firstFrame;
  say(fmt::format("Start-up at {}x{}, from Run to the first frame: {:.2f} s\n", width, height,
                  total));
  say(fmt::format("  window and device       {:7.2f} s\n", times.windowAndDevice));
  say(fmt::format("  music and timeline      {:7.2f} s\n", times.audio + times.timeline));
  say(fmt::format("  shader compiles         {:7.2f} s  ({} programs, {} reused)\n", compiles,
                  shaders.compilations(), shaders.reuses()));
  say(fmt::format("  images                  {:7.2f} s  (loading picture, two logos)\n",
                  demo.images));
  say(fmt::format("  scene imports           {:7.2f} s  ({} scenes, without their compiles)\n",
                  demo.sceneImports, production.demo().loadedScenes.size()));
  say(fmt::format("  targets, passes, states {:7.2f} s\n", rest));
  say(fmt::format("  first frame             {:7.2f} s\n", firstFrame));
}

// Milliseconds, and in multiples of one plain copy at the same size in the same run.
void printFrameTimes(const std::vector<QWORD>& positions, const std::vector<FrameTimes>& timings,
                     const std::vector<std::string>& markers, int repeats, double copy) {
  say(fmt::format("Frames (mean of {} at each moment), waited for until the device is done;\n"
                  "a plain full-screen copy at this size takes {:.1f} ms:\n",
                  repeats, copy));
  say("  moment    section              scene ms (copies)  post ms (copies)  frames/s\n");
  auto line = [&](const FrameTimes& t) {
    return fmt::format("{:8.1f} {:6.1f}x  {:8.1f} {:6.1f}x  {:8.2f}\n", t.scene, t.scene / copy,
                       t.post, t.post / copy, 1000 / (t.scene + t.post));
  };
  FrameTimes sum;
  for (std::size_t index = 0; index < timings.size(); ++index) {
    const FrameTimes& t = timings[index];
    say(fmt::format("  {:7.2f}s  {:<20} ", secondsOf(positions[index]), markers[index]) +
        line(t));
    sum.scene += t.scene;
    sum.post += t.post;
  }
  const double count = double(timings.size());
  say("  mean                           " + line({sum.scene / count, sum.post / count}));
}

void renderMoments(Production& production, HandDrivenClock& clock, const FrameOptions& options) {
  production.start();
  production.startPlayback();
  if (options.writePictures) {
    std::filesystem::create_directories(std::filesystem::u8path(options.outputFolder));
  }
  AudioManager& audio = production.audio();
  MidiEvents& timeline = *audio.midiEvents;
  const std::vector<QWORD> positions = momentPositions(
      options.moments, timeline.getMarkers(), timeline.getMarkerCount(), audio.audio->getLength());
  if (positions.empty()) {
    throw std::runtime_error("Every moment asked for lies past the end of the music");
  }
  MomentRenderer renderer(production, clock, options);
  // The first frame's time, as a viewer waits for it: not the clock's jump to the moment.
  clock.advanceTo(*audio.audio, positions.front());
  double firstFrame = 0;
  timed(firstFrame, [&] {
    production.drawFrame();
    production.present();
    renderer.backBuffer().waitForDevice();
  });

  const std::vector<FrameTimes> timings = renderer.run(positions);
  say(fmt::format("Rendered {} frames at {}x{}.\n", positions.size(), options.width,
                  options.height));
  if (options.benchmarkRepeats > 0) {
    printStartup(production, firstFrame, options.width, options.height);
    std::vector<std::string> markers;
    for (const QWORD position : positions) {
      const Marker* marker = timeline.getMarkerAt(position);
      markers.push_back(marker ? marker->text : "");
    }
    GraphicsContext& graphics = production.graphics();
    CopyYardstick copy(graphics.device.Get(), graphics.context.Get(), options.width,
                       options.height, [&] { renderer.backBuffer().waitForDevice(); });
    printFrameTimes(positions, timings, markers, options.benchmarkRepeats, copy.milliseconds());
  }
}

// The release's frame loop on the sound card, every frame recorded, until the music reaches
// playSeconds.
void playAndRecord(Production& production, const FrameOptions& options) {
  production.start();
  production.startPlayback();
  FrameRecord record(options.recordFile);
  int frames = 0;
  production.runFrameLoop([&](const Demo& demo) {
    const QWORD heard = production.audio().audio->getPosition();
    record.add(demo.shownFrame(), {}, heard, "");
    ++frames;
    return secondsOf(heard) < options.playSeconds;
  });
  say(fmt::format("Played to {:.2f} s in {} frames at {}x{}.\n",
                  secondsOf(production.audio().audio->getPosition()), frames, options.width,
                  options.height));
}

int run(const FrameOptions& options) {
  // Before the audio library starts: with it the music moves only when told to.
  std::optional<HandDrivenClock> clock;
  if (options.playSeconds == 0) {
    clock.emplace();
  }
  reportFatalErrorsWithoutMessageBox();
  return Production::run(GetModuleHandleW(nullptr), [&](Production& production) {
    production.chooseSettings(options.width, options.height);
    if (clock) {
      renderMoments(production, *clock, options);
    } else {
      playAndRecord(production, options);
    }
  });
}

}  // namespace
}  // namespace ostrel::frames

int wmain(int argc, wchar_t** argv) {
  using namespace ostrel::frames;
  std::vector<std::string> arguments;
  for (int index = 1; index < argc; ++index) {
    arguments.push_back(ostrel::toUtf8(argv[index]));
  }
  FrameOptions options;
  try {
    options = parseFrameOptions(arguments);
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "%s\n\n%s", error.what(), kFrameUsage);
    return 2;
  }
  return run(options);
}
