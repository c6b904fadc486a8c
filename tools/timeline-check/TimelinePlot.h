// The timeline as a picture, on one time axis with bar numbers: the sections with their
// marker, scene and camera and the stretch of animation each plays, the logo windows, the
// music's waveform, and for every effect track its blocks and the values the frame
// computes from them (the production's own block handlers, defaults outside the blocks).
#pragma once

#include "audio/Block.h"
#include "demo/BlockHandler.h"
#include "tools/timeline-check/Canvas.h"
#include "tools/timeline-check/TextRenderer.h"
#include "tools/timeline-check/TimelineReport.h"
#include "tools/timeline-check/Waveform.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

class TimelinePlot {
public:
  struct Band {
    int top = 0;
    int bottom = 0;  // one past the last row
  };

  // Draws the whole picture. The waveform may be empty (no audio given).
  TimelinePlot(const TimelineReport& report, const Waveform& waveform, TextRenderer& text);

  const Canvas& picture() const { return canvas; }

  // Where things are, for tests and for reading the picture.
  int xAtByte(std::uint64_t position) const;
  Band sectionsBand() const { return sections; }
  Band logosBand() const { return logos; }
  Band waveformBand() const { return music; }
  // The lane of a named track. Throws std::out_of_range for a track the report lacks.
  Band laneOf(const std::string& track) const;
  // The row of a value in a track's lane, for values drawn on the 0..1 scale.
  int yOfValue(const std::string& track, double value) const;
  // The colour of the track's value (in its handler's order) and of its blocks' ground.
  Rgb valueColour(const std::string& track, std::size_t value) const;

private:
  struct ValueCurve {
    std::vector<float> low;   // per column, lowest value the frame computes in it
    std::vector<float> high;  // highest
    double scale = 1.0;       // the value drawn at the lane's top
  };

  struct Lane {
    const TimelineReport::Track* track = nullptr;
    const BlockHandler* handler = nullptr;  // null: no effect reads this track
    Band band;
    std::vector<Block*> blocks;           // complete blocks, as the program reads them
    std::vector<std::size_t> incomplete;  // indices into track->blocks
    std::vector<ValueCurve> curves;       // one per handler value
  };

  void layOut();
  void measureTime();
  void stackRows();
  void makeLanes();
  void computeCurves(const std::vector<Block*>& all);
  void drawTitle();
  void drawGrid();
  void drawBarRuler();
  void drawSections();
  void drawSection(const TimelineReport::Section& section, std::uint64_t end, Rgb ground);
  void drawLogos();
  void drawWaveform();
  void drawLane(const Lane& lane);
  void drawBlocks(const Lane& lane);
  void drawCurves(const Lane& lane);
  void drawLaneLegend(const Lane& lane);
  void drawFindings();
  void drawSecondsRuler();

  const Lane& laneNamed(const std::string& track) const;
  std::uint64_t byteAtColumn(double column) const;
  std::size_t barLabelEvery() const;

  const TimelineReport& report;
  const Waveform& waveform;
  TextRenderer& text;

  std::uint64_t totalBytes = 1;
  int plotLeft = 0;
  int plotWidth = 1;
  Band title, barRuler, sections, logos, music, findings, secondsRuler;
  std::vector<Lane> lanes;
  Canvas canvas{1, 1, {}};

  // The report's blocks as the program's, so the curves come from the frame's own code.
  std::deque<BASS_MIDI_EVENT> events;
  std::vector<std::unique_ptr<Block>> ownedBlocks;
};

}  // namespace ostrel
