// Layout and drawing of the timeline picture.
#include "tools/timeline-check/TimelinePlot.h"

#include "audio/MusicalClock.h"
#include "audio/NormalizedPosition.h"
#include "demo/LogoSchedule.h"
#include "demo/SceneTime.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace ostrel {
namespace {

using Weight = TextRenderer::Weight;

constexpr double kBytesPerSecond = 44100.0 * 4;

// Rows and margins, in pixels.
constexpr int kMargin = 16;
constexpr int kGutter = 196;  // labels left of the time axis
constexpr int kRightMargin = 28;
constexpr int kGap = 6;
constexpr int kTitleHeight = 40;
constexpr int kBarRulerHeight = 22;
constexpr int kSectionsHeight = 86;
constexpr int kSectionTextHeight = 52;  // above the strip that shows the animation's stretch
constexpr int kLogosHeight = 20;
constexpr int kMusicHeight = 84;
constexpr int kLaneHeight = 84;
constexpr int kLanePadding = 7;
constexpr int kFindingsHeight = 18;
constexpr int kSecondsRulerHeight = 24;
// The shortest section gets at least this width, within the bounds of the time axis.
constexpr double kShortestSectionWidth = 56;
constexpr int kMinPlotWidth = 1400;
constexpr int kMaxPlotWidth = 3200;
// Samples of the frame's values per pixel column, besides the block ends inside it.
constexpr int kSamplesPerColumn = 6;

constexpr Rgb kBackground = Rgb::hex(0xFFFFFF);
constexpr Rgb kInk = Rgb::hex(0x1F2328);
constexpr Rgb kMutedInk = Rgb::hex(0x6E7781);
constexpr Rgb kLaneGround = Rgb::hex(0xF4F6F8);
constexpr Rgb kNoSceneGround = Rgb::hex(0xE3E3E3);
constexpr Rgb kWaveformPeak = Rgb::hex(0xAFC3DA);
constexpr Rgb kWaveformLevel = Rgb::hex(0x41618A);
constexpr Rgb kLogoGround = Rgb::hex(0x2D333B);
constexpr Rgb kError = Rgb::hex(0xCF222E);
constexpr Rgb kWarning = Rgb::hex(0xBF8700);
constexpr Rgb kGood = Rgb::hex(0x1A7F37);
constexpr Rgb kUnknownTrack = Rgb::hex(0x8C959F);

// Sections of one scene share a colour.
constexpr Rgb kScenePalette[] = {
    Rgb::hex(0xCFE1F7), Rgb::hex(0xF8D9C0), Rgb::hex(0xD4EDC9), Rgb::hex(0xEAD3EE),
    Rgb::hex(0xF6EBB5), Rgb::hex(0xC9ECE8), Rgb::hex(0xF3CFD6), Rgb::hex(0xDCDCF6),
    Rgb::hex(0xE6E0CF), Rgb::hex(0xD3E7F0),
};

struct TrackStyle {
  const char* kind;
  Rgb ground;                          // the blocks
  Rgb values[BlockHandler::kMaxValues];  // the curves, in the handler's order
};

constexpr TrackStyle kTrackStyles[] = {
    {"DOF", Rgb::hex(0x1ABC9C), {Rgb::hex(0x0E6E5C), Rgb::hex(0x8E44AD), Rgb::hex(0x566573)}},
    {"Exposure", Rgb::hex(0xF39C12), {Rgb::hex(0x7E3F12), Rgb::hex(0xE8710A), Rgb::hex(0x7F8C8D)}},
    {"Color", Rgb::hex(0x95A5A6), {Rgb::hex(0xD62728), Rgb::hex(0x2CA02C), Rgb::hex(0x1F77B4)}},
    {"Flash", Rgb::hex(0xF1C40F), {Rgb::hex(0xB08900)}},
    {"Glitch", Rgb::hex(0xE91E63), {Rgb::hex(0xC2185B), Rgb::hex(0x6A1B9A), Rgb::hex(0xF06292)}},
};

const TrackStyle& styleOf(const std::string& kind) {
  static const TrackStyle unknown{"", kUnknownTrack, {kUnknownTrack, kUnknownTrack, kUnknownTrack}};
  for (const TrackStyle& style : kTrackStyles) {
    if (kind == style.kind) {
      return style;
    }
  }
  return unknown;
}

int heightOf(const TimelinePlot::Band& band) { return band.bottom - band.top; }

// "3:41" or, with tenths, "3:41.8".
std::string minutesAndSeconds(double seconds, bool tenths = false) {
  const int minutes = int(seconds / 60);
  const double rest = seconds - minutes * 60;
  return tenths ? fmt::format("{}:{:04.1f}", minutes, rest)
                : fmt::format("{}:{:02d}", minutes, int(std::lround(rest)));
}

// The smallest step of the list that leaves at least minimum pixels between labels.
double labelStep(std::initializer_list<double> steps, double pixelsPerStep, double minimum) {
  for (const double step : steps) {
    if (step * pixelsPerStep >= minimum) {
      return step;
    }
  }
  return *(steps.end() - 1);
}

// Values that stay small (a depth-of-field aperture) get their own scale.
double scaleFor(double highest) {
  for (const double scale : {0.005, 0.01, 0.02, 0.05, 0.1}) {
    if (highest <= scale) {
      return scale;
    }
  }
  return 1.0;
}

std::string scaleText(double scale) {
  return scale >= 1.0 ? std::string() : fmt::format("  0\u2013{:g}", scale);
}

}  // namespace

TimelinePlot::TimelinePlot(const TimelineReport& report, const Waveform& waveform,
                           TextRenderer& text)
    : report(report), waveform(waveform), text(text) {
  layOut();
  makeLanes();
  drawGrid();
  drawTitle();
  drawBarRuler();
  drawSections();
  drawWaveform();
  for (const Lane& lane : lanes) {
    drawLane(lane);
  }
  drawLogos();
  drawFindings();
  drawSecondsRuler();
}

void TimelinePlot::layOut() {
  measureTime();
  stackRows();
  canvas.fill(plotLeft, music.top, plotWidth, heightOf(music), kLaneGround);
  for (const Lane& lane : lanes) {
    canvas.fill(plotLeft, lane.band.top, plotWidth, heightOf(lane.band), kLaneGround);
  }
}

// The time axis reaches the end of the music or of the timeline, whichever is later, and
// is wide enough for the shortest section's names.
void TimelinePlot::measureTime() {
  totalBytes = std::max<std::uint64_t>({report.midiLength, report.audioLength, 1});
  for (const auto& section : report.sections) {
    totalBytes = std::max(totalBytes, section.start + section.length);
  }
  for (const auto& track : report.tracks) {
    for (const auto& block : track.blocks) {
      totalBytes = std::max(totalBytes, block.end);
    }
  }
  const double totalSeconds = double(totalBytes) / kBytesPerSecond;
  double shortest = totalSeconds;
  for (const auto& section : report.sections) {
    if (section.length > 0) {
      shortest = std::min(shortest, double(section.length) / kBytesPerSecond);
    }
  }
  const double wanted = kShortestSectionWidth / std::max(shortest, 1e-3) * totalSeconds;
  plotWidth = int(std::clamp(wanted, double(kMinPlotWidth), double(kMaxPlotWidth)));
  plotLeft = kMargin + kGutter;
}

void TimelinePlot::stackRows() {
  int y = kMargin;
  const auto band = [&y](int height, int gap = kGap) {
    const Band made{y, y + height};
    y += height + gap;
    return made;
  };
  title = band(kTitleHeight, 0);
  barRuler = band(kBarRulerHeight, 2);
  sections = band(kSectionsHeight);
  logos = band(kLogosHeight);
  music = band(kMusicHeight);
  for (const auto& track : report.tracks) {
    Lane lane;
    lane.track = &track;
    lane.band = band(kLaneHeight);
    lanes.push_back(std::move(lane));
  }
  const bool anyFindings = !report.findings.empty();
  findings = band(anyFindings ? kFindingsHeight : 0, anyFindings ? kGap : 0);
  secondsRuler = band(kSecondsRulerHeight, 0);
  canvas = Canvas(plotLeft + plotWidth + kRightMargin, y + kMargin, kBackground);
}

int TimelinePlot::xAtByte(std::uint64_t position) const {
  const double fraction = double(std::min(position, totalBytes)) / double(totalBytes);
  return plotLeft + int(std::lround(fraction * plotWidth));
}

std::uint64_t TimelinePlot::byteAtColumn(double column) const {
  return std::uint64_t(std::max(0.0, column) / plotWidth * double(totalBytes));
}

// The program's blocks, rebuilt from the report's; incomplete ones would end the run and
// take no part in the curves.
void TimelinePlot::makeLanes() {
  std::vector<Block*> all;  // in the program's order: by track, then by start
  for (Lane& lane : lanes) {
    lane.handler = lane.track->isEffectTrack ? blockHandlerFor(lane.track->name) : nullptr;
    for (std::size_t index = 0; index < lane.track->blocks.size(); ++index) {
      const auto& reported = lane.track->blocks[index];
      const bool complete = missingParameters(lane.track->name, [&](const std::string& name) {
                              return reported.hasParameter(name);
                            }).empty();
      if (!complete) {
        lane.incomplete.push_back(index);
        continue;
      }
      auto block = std::make_unique<Block>();
      block->name = lane.track->name;
      block->start = reported.start;
      block->end = reported.end;
      block->length = reported.end - reported.start;
      for (const auto& parameter : reported.parameters) {
        events.push_back({MIDI_EVENT_NOTE, 0, 0, 0, DWORD(reported.start)});
        block->parameters[parameter.name] =
            std::make_unique<Parameter>(parameter.name, &events.back(), 0, parameter.velocity);
      }
      lane.blocks.push_back(block.get());
      all.push_back(block.get());
      ownedBlocks.push_back(std::move(block));
    }
  }
  for (Lane& lane : lanes) {
    if (lane.handler) {
      lane.curves.resize(lane.handler->values.size());
      for (ValueCurve& curve : lane.curves) {
        curve.low.assign(std::size_t(plotWidth), 1e9f);
        curve.high.assign(std::size_t(plotWidth), -1e9f);
      }
    }
  }
  computeCurves(all);
}

// Every column's lowest and highest value of every driven parameter, as the frame computes
// them at positions across the column (its ends and every block end inside it included).
void TimelinePlot::computeCurves(const std::vector<Block*>& all) {
  std::vector<std::uint64_t> boundaries;
  for (const Block* block : all) {
    boundaries.push_back(block->start);
    boundaries.push_back(block->end);
  }
  std::sort(boundaries.begin(), boundaries.end());
  EffectParameters parameters;
  std::vector<Block*> active;
  for (int column = 0; column < plotWidth; ++column) {
    std::vector<std::uint64_t> positions;
    for (int sample = 0; sample <= kSamplesPerColumn; ++sample) {
      positions.push_back(byteAtColumn(column + double(sample) / kSamplesPerColumn));
    }
    const auto first = std::lower_bound(boundaries.begin(), boundaries.end(), positions.front());
    const auto last = std::upper_bound(boundaries.begin(), boundaries.end(), positions.back());
    positions.insert(positions.end(), first, last);
    for (const std::uint64_t position : positions) {
      active.clear();
      for (Block* block : all) {
        if (block->contains(position)) {
          active.push_back(block);
        }
      }
      updateEffectParameters(active, position, parameters);
      for (Lane& lane : lanes) {
        for (std::size_t index = 0; index < lane.curves.size(); ++index) {
          const float value = lane.handler->values[index].target(parameters);
          ValueCurve& curve = lane.curves[index];
          curve.low[std::size_t(column)] = std::min(curve.low[std::size_t(column)], value);
          curve.high[std::size_t(column)] = std::max(curve.high[std::size_t(column)], value);
        }
      }
    }
  }
  for (Lane& lane : lanes) {
    for (ValueCurve& curve : lane.curves) {
      curve.scale = scaleFor(*std::max_element(curve.high.begin(), curve.high.end()));
    }
  }
}

void TimelinePlot::drawTitle() {
  const int baseline = title.top + 24;
  int x = kMargin;
  const std::string name = std::filesystem::path(report.midiFile).filename().string();
  x += text.draw(canvas, x, baseline, name, 19, kInk, Weight::bold) + 16;
  std::size_t blocks = 0;
  for (const auto& track : report.tracks) {
    blocks += track.blocks.size();
  }
  const std::string details = fmt::format(
      "{:.3f} bpm \u00b7 {} \u00b7 {} sections \u00b7 {} effect blocks",
      report.tempoBpm, minutesAndSeconds(double(totalBytes) / kBytesPerSecond, true),
      report.sections.size(), blocks);
  x += text.draw(canvas, x, baseline, details, 13, kMutedInk) + 24;
  const bool fails = report.runWouldFail();
  text.draw(canvas, x, baseline, fails ? "a run of the production would fail" : "fit to run", 13,
            fails ? kError : kGood, Weight::bold);
}

// Bars faintly, every labelled bar a little stronger, section starts clearly, through every
// row below the ruler.
void TimelinePlot::drawGrid() {
  const int top = sections.top;
  const int bottom = lanes.empty() ? music.bottom : lanes.back().band.bottom;
  const std::size_t labelEvery = barLabelEvery();
  for (std::size_t bar = 0; bar < report.barStarts.size(); ++bar) {
    const bool labelled = bar % labelEvery == 0;
    canvas.verticalLine(xAtByte(report.barStarts[bar]), top, bottom - 1, kInk,
                        labelled ? 0.10f : 0.04f);
  }
  for (const auto& section : report.sections) {
    canvas.verticalLine(xAtByte(section.start), top, bottom - 1, kInk, 0.30f);
  }
}

// Bar numbers at 1, 5, 9, ... or sparser, as the space allows.
std::size_t TimelinePlot::barLabelEvery() const {
  const double barPixels = report.barStarts.size() > 1
                               ? xAtByte(report.barStarts[1]) - xAtByte(report.barStarts[0])
                               : plotWidth;
  return std::size_t(labelStep({1, 4, 8, 16, 32, 64}, barPixels, 28));
}

void TimelinePlot::drawBarRuler() {
  text.draw(canvas, kMargin, barRuler.bottom - 6, "bar", 12, kMutedInk);
  const std::size_t labelEvery = barLabelEvery();
  for (std::size_t bar = 0; bar < report.barStarts.size(); ++bar) {
    const int x = xAtByte(report.barStarts[bar]);
    if (bar % labelEvery == 0) {
      canvas.verticalLine(x, barRuler.bottom - 8, barRuler.bottom - 1, kInk, 0.6f);
      text.draw(canvas, x + 3, barRuler.bottom - 6, std::to_string(bar + 1), 12, kInk);
    } else {
      canvas.verticalLine(x, barRuler.bottom - 3, barRuler.bottom - 1, kInk, 0.35f);
    }
  }
}

void TimelinePlot::drawSections() {
  text.draw(canvas, kMargin, sections.top + 16, "Sections", 14, kInk, Weight::bold);
  text.draw(canvas, kMargin, sections.top + 32, "marker, scene, camera", 11, kMutedInk);
  text.draw(canvas, kMargin, sections.top + kSectionTextHeight + 20, "scene time, 0\u20131", 11,
            kMutedInk);
  std::map<std::string, Rgb> sceneColours;
  const auto groundOf = [&](const std::string& sceneKey) {
    if (sceneKey.empty()) {
      return kNoSceneGround;
    }
    const Rgb next = kScenePalette[sceneColours.size() % std::size(kScenePalette)];
    return sceneColours.emplace(sceneKey, next).first->second;
  };
  for (std::size_t index = 0; index < report.sections.size(); ++index) {
    const auto& section = report.sections[index];
    const bool isLast = index + 1 == report.sections.size();
    const std::uint64_t end = isLast ? totalBytes : section.start + section.length;
    if (end > section.start) {
      drawSection(section, end, groundOf(section.sceneKey));
    }
  }
}

void TimelinePlot::drawSection(const TimelineReport::Section& section, std::uint64_t end,
                               Rgb ground) {
  const int left = xAtByte(section.start);
  const int right = xAtByte(end);
  const int width = right - left;
  canvas.fill(left, sections.top, width, heightOf(sections), ground);
  canvas.fill(left, sections.top, 1, heightOf(sections), kBackground);
  const int textWidth = width - 8;
  // A long name in a short section gets a smaller size before it is cut.
  const int nameSize = text.width(section.marker, 13, Weight::bold) <= textWidth ? 13 : 11;
  text.draw(canvas, left + 5, sections.top + 16, section.marker, nameSize, kInk, Weight::bold,
            textWidth);
  if (section.sceneKey.empty()) {
    text.draw(canvas, left + 5, sections.top + 32, "no scene", 11, kMutedInk, Weight::regular,
              textWidth);
    return;
  }
  text.draw(canvas, left + 5, sections.top + 32, section.sceneKey, 11, kInk, Weight::regular,
            textWidth);
  text.draw(canvas, left + 5, sections.top + 46, section.camera, 11, kMutedInk,
            Weight::regular, textWidth);

  // Where in its animation the scene is: the section's stretch, forwards or backwards.
  const int stripTop = sections.top + kSectionTextHeight + 4;
  const int stripBottom = sections.bottom - 5;
  canvas.fill(left + 1, stripTop, width - 1, stripBottom - stripTop + 1, kBackground, 0.45f);
  const MarkerScene entry{section.animationStart, section.animationEnd, section.sceneKey,
                          section.camera};
  int previous = -1;
  for (int x = left + 1; x < right; ++x) {
    const double progress =
        progressThrough(section.start, end, byteAtColumn(x - plotLeft + 0.5));
    const double time = sceneAnimationTime(entry, section.marker, 0.0, 1.0, progress);
    const int y = stripBottom - int(std::lround(time * (stripBottom - stripTop)));
    canvas.verticalLine(x, previous < 0 ? y : previous, y, kInk, 0.75f);
    canvas.blendPixel(x, y - 1, kInk, 0.75f);
    previous = y;
  }
}

void TimelinePlot::drawLogos() {
  const int labelWidth = text.draw(canvas, kMargin, logos.bottom - 5, "Logos", 14, kInk, Weight::bold);
  text.draw(canvas, kMargin + labelWidth + 8, logos.bottom - 5, "1 quorvel, 2 Tessane", 11,
            kMutedInk);
  const auto bytes = [](double seconds) { return std::uint64_t(seconds * kBytesPerSecond); };
  const struct {
    double from, to;
    const char* label;
    const char* shortLabel;
  } windows[] = {{kFirstLogoAfterSeconds, kSecondLogoFromSeconds, "logo 1", "1"},
                 {kSecondLogoFromSeconds, kLogosEndSeconds, "logo 2", "2"}};
  const int bottom = lanes.empty() ? music.bottom : lanes.back().band.bottom;
  for (const auto& window : windows) {
    if (bytes(window.from) >= totalBytes) {
      continue;
    }
    const int left = xAtByte(bytes(window.from));
    const int right = xAtByte(bytes(window.to));
    canvas.fill(left, sections.top, right - left, bottom - sections.top, kLogoGround, 0.07f);
    canvas.fill(left, logos.top, right - left, heightOf(logos), kLogoGround);
    canvas.fill(left, logos.top, 1, heightOf(logos), kBackground);
    const bool fits = text.width(window.label, 11, Weight::bold) <= right - left - 6;
    text.draw(canvas, left + 4, logos.bottom - 6, fits ? window.label : window.shortLabel, 11,
              kBackground, Weight::bold, right - left - 4);
  }
}

void TimelinePlot::drawWaveform() {
  text.draw(canvas, kMargin, music.top + 16, "Music", 14, kInk, Weight::bold);
  const int middle = (music.top + music.bottom) / 2;
  const double halfHeight = heightOf(music) / 2.0 - 3;
  if (waveform.bins.empty()) {
    text.draw(canvas, plotLeft + 8, middle + 4, "no audio file given (--audio)", 12, kMutedInk);
    return;
  }
  text.draw(canvas, kMargin, music.top + 32, "peaks and level", 11, kMutedInk);
  const double bytesPerBin = Waveform::kFramesPerBin * 4.0;
  for (int column = 0; column < plotWidth; ++column) {
    const auto first = std::size_t(double(byteAtColumn(column)) / bytesPerBin);
    const auto last = std::min(waveform.bins.size(),
                               std::size_t(double(byteAtColumn(column + 1)) / bytesPerBin) + 1);
    if (first >= last) {
      continue;
    }
    float low = 1, high = -1;
    double energy = 0;
    for (std::size_t bin = first; bin < last; ++bin) {
      low = std::min(low, waveform.bins[bin].low);
      high = std::max(high, waveform.bins[bin].high);
      energy += double(waveform.bins[bin].rms) * waveform.bins[bin].rms;
    }
    const double level = std::sqrt(energy / double(last - first));
    const int x = plotLeft + column;
    canvas.verticalLine(x, middle - int(std::lround(high * halfHeight)),
                        middle - int(std::lround(low * halfHeight)), kWaveformPeak);
    canvas.verticalLine(x, middle - int(std::lround(level * halfHeight)),
                        middle + int(std::lround(level * halfHeight)), kWaveformLevel);
  }
}

void TimelinePlot::drawLane(const Lane& lane) {
  drawBlocks(lane);
  if (lane.handler) {
    // Guides at 0, 0.5 and 1 of the value scale.
    for (const double value : {0.0, 0.5, 1.0}) {
      canvas.horizontalLine(plotLeft, plotLeft + plotWidth - 1, yOfValue(lane.track->name, value),
                            kInk, value == 0.5 ? 0.07f : 0.14f, value == 0.5 ? 3 : 0);
    }
    drawCurves(lane);
  }
  drawLaneLegend(lane);
}

void TimelinePlot::drawBlocks(const Lane& lane) {
  const TrackStyle& style = styleOf(lane.handler ? lane.track->name : std::string());
  const Band& band = lane.band;
  for (std::size_t index = 0; index < lane.track->blocks.size(); ++index) {
    const auto& block = lane.track->blocks[index];
    const int left = xAtByte(block.start);
    const int width = std::max(1, xAtByte(block.end) - left);
    const bool incomplete =
        std::find(lane.incomplete.begin(), lane.incomplete.end(), index) != lane.incomplete.end();
    if (incomplete) {
      canvas.fill(left, band.top, width, heightOf(band), kError, 0.12f);
      for (int x = left; x < left + width; ++x) {  // hatched: the run would stop here
        for (int y = band.top + (x - left) % 8; y < band.bottom; y += 8) {
          canvas.blendPixel(x, y, kError, 0.6f);
        }
      }
      if (text.width("incomplete", 10, Weight::bold) <= width - 4) {
        text.draw(canvas, left + 3, band.bottom - 5, "incomplete", 10, kError, Weight::bold);
      }
    } else {
      canvas.fill(left, band.top, width, heightOf(band), style.ground, 0.20f);
    }
    canvas.verticalLine(left, band.top, band.bottom - 1, incomplete ? kError : style.ground, 0.8f);
  }
}

void TimelinePlot::drawCurves(const Lane& lane) {
  // Outside the track's blocks the frame holds the defaults: drawn, but fainter.
  std::vector<bool> inBlock(std::size_t(plotWidth), false);
  for (const Block* block : lane.blocks) {
    for (int x = xAtByte(block->start); x <= xAtByte(block->end); ++x) {
      if (x - plotLeft >= 0 && x - plotLeft < plotWidth) {
        inBlock[std::size_t(x - plotLeft)] = true;
      }
    }
  }
  const Band inner{lane.band.top + kLanePadding, lane.band.bottom - kLanePadding};
  for (std::size_t index = 0; index < lane.curves.size(); ++index) {
    const ValueCurve& curve = lane.curves[index];
    const Rgb colour = valueColour(lane.track->name, index);
    const auto row = [&](float value) {
      const double fraction = std::clamp(double(value) / curve.scale, 0.0, 1.0);
      return inner.bottom - int(std::lround(fraction * heightOf(inner)));
    };
    for (int column = 0; column < plotWidth; ++column) {
      const int top = row(curve.high[std::size_t(column)]) - 1;  // two pixels thick
      const int bottom = row(curve.low[std::size_t(column)]);
      canvas.verticalLine(plotLeft + column, top, bottom, colour,
                          inBlock[std::size_t(column)] ? 1.0f : 0.35f);
    }
  }
}

void TimelinePlot::drawLaneLegend(const Lane& lane) {
  const int top = lane.band.top;
  text.draw(canvas, kMargin, top + 16, lane.track->name, 14, kInk, Weight::bold, kGutter - 8);
  if (!lane.handler) {
    text.draw(canvas, kMargin, top + 32, "no effect reads it", 11, kMutedInk);
    return;
  }
  for (std::size_t index = 0; index < lane.curves.size(); ++index) {
    const int baseline = top + 33 + int(index) * 15;
    canvas.fill(kMargin, baseline - 5, 14, 3, valueColour(lane.track->name, index));
    const std::string label =
        lane.handler->values[index].label + scaleText(lane.curves[index].scale);
    text.draw(canvas, kMargin + 20, baseline, label, 12, kInk, Weight::regular, kGutter - 40);
  }
  const auto axisLabel = [&](const char* label, double value) {
    const int width = text.width(label, 10);
    text.draw(canvas, plotLeft - 5 - width, yOfValue(lane.track->name, value) + 4, label, 10,
              kMutedInk);
  };
  axisLabel("1", 1.0);
  axisLabel("0", 0.0);
}

void TimelinePlot::drawFindings() {
  if (report.findings.empty()) {
    return;
  }
  int errors = 0;
  int warnings = 0;
  // Errors last, so that they show where a warning shares their place.
  for (const auto severity : {TimelineReport::Severity::Warning, TimelineReport::Severity::Error}) {
    const bool isError = severity == TimelineReport::Severity::Error;
    for (const auto& finding : report.findings) {
      if (finding.severity != severity) {
        continue;
      }
      (isError ? errors : warnings)++;
      const int x = xAtByte(finding.position);
      for (int row = 0; row < 9; ++row) {  // a small triangle pointing up at the position
        canvas.fill(x - row / 2, findings.top + 4 + row, row / 2 * 2 + 1, 1,
                    isError ? kError : kWarning);
      }
    }
  }
  text.draw(canvas, kMargin, findings.bottom - 4,
            fmt::format("{} error{}, {} warning{}", errors, errors == 1 ? "" : "s", warnings,
                        warnings == 1 ? "" : "s"),
            12, errors ? kError : kWarning, Weight::bold);
}

void TimelinePlot::drawSecondsRuler() {
  text.draw(canvas, kMargin, secondsRuler.top + 17, "time", 12, kMutedInk);
  const double pixelsPerSecond = plotWidth / (double(totalBytes) / kBytesPerSecond);
  const double step = labelStep({1, 2, 5, 10, 15, 30, 60, 120}, pixelsPerSecond, 56);
  for (double seconds = 0; seconds * kBytesPerSecond <= double(totalBytes); seconds += step) {
    const int x = xAtByte(std::uint64_t(seconds * kBytesPerSecond));
    canvas.verticalLine(x, secondsRuler.top, secondsRuler.top + 5, kInk, 0.6f);
    text.draw(canvas, x + 3, secondsRuler.top + 17, minutesAndSeconds(seconds), 12, kInk);
  }
}

const TimelinePlot::Lane& TimelinePlot::laneNamed(const std::string& track) const {
  for (const Lane& lane : lanes) {
    if (lane.track->name == track) {
      return lane;
    }
  }
  throw std::out_of_range("no track '" + track + "' in the plot");
}

TimelinePlot::Band TimelinePlot::laneOf(const std::string& track) const {
  return laneNamed(track).band;
}

int TimelinePlot::yOfValue(const std::string& track, double value) const {
  const Band& band = laneNamed(track).band;
  const int height = heightOf(band) - 2 * kLanePadding;
  return band.bottom - kLanePadding - int(std::lround(std::clamp(value, 0.0, 1.0) * height));
}

Rgb TimelinePlot::valueColour(const std::string& track, std::size_t value) const {
  return styleOf(track).values[std::min(value, BlockHandler::kMaxValues - 1)];
}

}  // namespace ostrel
