// Layout of the timeline report.
#include "tools/timeline-check/ReportPrinter.h"

#include "audio/Block.h"
#include "audio/MusicalClock.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <algorithm>
#include <map>
#include <string>

namespace ostrel {
namespace {

class Printer {
public:
  Printer(std::ostream& out, bool colour) : out(out), colour(colour) {}

  void print(const TimelineReport& report) {
    printHeader(report);
    if (!report.sections.empty()) {
      printSections(report);
    }
    for (const auto& track : report.tracks) {
      printTrack(track);
    }
    printFindings(report);
  }

private:
  std::string styled(const std::string& text, const char* code) const {
    return colour ? fmt::format("\033[{}m{}\033[0m", code, text) : text;
  }
  std::string bold(const std::string& text) const { return styled(text, "1"); }
  std::string dim(const std::string& text) const { return styled(text, "2"); }
  std::string red(const std::string& text) const { return styled(text, "1;31"); }
  std::string yellow(const std::string& text) const { return styled(text, "33"); }
  std::string green(const std::string& text) const { return styled(text, "32"); }

  static std::string seconds(std::uint64_t bytes) {
    return fmt::format("{:.3f} s", MusicalClock::seconds(bytes));
  }

  void printHeader(const TimelineReport& report) {
    fmt::print(out, "{} {}\n", bold("Timeline"), report.midiFile);
    if (report.ticksPerQuarter == 0) {
      return;
    }
    fmt::print(out, "  {:.3f} bpm at the start, {} ticks a quarter note\n", report.tempoBpm,
               report.ticksPerQuarter);
    fmt::print(out, "  MIDI {}", seconds(report.midiLength));
    if (report.audioLength) {
      fmt::print(out, ", audio {}", seconds(report.audioLength));
    }
    fmt::print(out, "\n\n");
  }

  void printSections(const TimelineReport& report) {
    std::size_t width = 6;
    for (const auto& section : report.sections) {
      width = std::max(width, section.marker.size());
    }
    fmt::print(out, "{}\n", bold("Sections in play order"));
    fmt::print(out, "  {}\n",
               dim(fmt::format("{:>3}  {:<{}}  {:>10}  {:>8}  {:>10}  {}", "#", "marker", width,
                               "start", "bar:beat", "length", "scene / camera")));
    int number = 1;
    for (const auto& section : report.sections) {
      const std::string scene = section.sceneKey.empty()
                                    ? yellow("no scene")
                                    : section.sceneKey + " / " + section.camera;
      fmt::print(out, "  {:>3}  {:<{}}  {:>10}  {:>8}  {:>10}  {}\n", number++, section.marker,
                 width, seconds(section.start), section.barBeat, seconds(section.length), scene);
    }
    fmt::print(out, "\n");
  }

  void printTrack(const TimelineReport::Track& track) {
    fmt::print(out, "{} {}\n", bold(fmt::format("Track '{}'", track.name)),
               dim(fmt::format("(track {}, {} block{})", track.number, track.blocks.size(),
                               track.blocks.size() == 1 ? "" : "s")));
    for (const auto& block : track.blocks) {
      fmt::print(out, "  {:>8}  {:>10} .. {:<10}  {}\n", block.barBeat, seconds(block.start),
                 seconds(block.end), describeParameters(block));
    }
    fmt::print(out, "\n");
  }

  // Values as the effects read them, as "name start -> end": velocity 1..127 as 0..1, and
  // the three notes ending in 1, 2 and 3 of one name (depth of field) as the one 24-bit
  // value they make. A value without its partner is shown alone.
  static std::string describeParameters(const TimelineReport::Block& block) {
    std::map<std::string, double> values = valuesOf(block.parameters);
    std::string text;
    for (const auto& [name, value] : values) {
      if (name.rfind("end", 0) == 0 && values.count("start" + name.substr(3))) {
        continue;  // shown with its start value
      }
      std::string shown = name;
      std::string range = fmt::format("{}", formatValue(value));
      if (name.rfind("start", 0) == 0) {
        shown = name.substr(5);
        if (const auto end = values.find("end" + shown); end != values.end()) {
          range += " -> " + formatValue(end->second);
        }
      }
      text += (text.empty() ? "" : "   ") + shown + " " + range;
    }
    return text;
  }

  static std::map<std::string, double> valuesOf(
      const std::vector<TimelineReport::ParameterValue>& parameters) {
    std::map<std::string, int> velocities;
    for (const auto& parameter : parameters) {
      velocities[parameter.name] = parameter.velocity;
    }
    std::map<std::string, double> values;
    for (const auto& [name, velocity] : velocities) {
      const std::string stem = name.substr(0, name.size() - 1);
      const bool isTriple = name.back() == '1' && velocities.count(stem + "2") &&
                            velocities.count(stem + "3");
      if (isTriple) {
        values[stem] = packedVelocityValue(velocity, velocities[stem + "2"], velocities[stem + "3"]);
      } else if (!isPartOfTriple(name, velocities)) {
        values[name] = velocityValue(velocity);
      }
    }
    return values;
  }

  static bool isPartOfTriple(const std::string& name, const std::map<std::string, int>& velocities) {
    const char last = name.back();
    const std::string stem = name.substr(0, name.size() - 1);
    return (last == '2' || last == '3') && velocities.count(stem + "1") &&
           velocities.count(stem + "2") && velocities.count(stem + "3");
  }

  static std::string formatValue(double value) {
    return value < 0.1 && value > 0 ? fmt::format("{:.4f}", value) : fmt::format("{:.2f}", value);
  }

  void printFindings(const TimelineReport& report) {
    int errors = 0;
    int warnings = 0;
    if (!report.findings.empty()) {
      fmt::print(out, "{}\n", bold("Findings"));
    }
    for (const auto& finding : report.findings) {
      const bool isError = finding.severity == TimelineReport::Severity::Error;
      (isError ? errors : warnings)++;
      const std::string where =
          finding.track.empty() ? std::string() : fmt::format("'{}' ", finding.track);
      const std::string note = finding.note.empty() ? std::string() : finding.note + " ";
      fmt::print(out, "  {}  {:>10} {:>8}  {}{}{}\n", isError ? red("error  ") : yellow("warning"),
                 seconds(finding.position), finding.barBeat, where, note, finding.message);
    }
    if (!report.findings.empty()) {
      fmt::print(out, "\n");
    }
    const std::string summary = fmt::format("{} error{}, {} warning{}", errors,
                                            errors == 1 ? "" : "s", warnings,
                                            warnings == 1 ? "" : "s");
    if (errors) {
      fmt::print(out, "{}: {}\n", summary, red("a run of the production would fail"));
    } else {
      fmt::print(out, "{}: {}\n", summary, green("the timeline is fit to run"));
    }
  }

  std::ostream& out;
  bool colour;
};

}  // namespace

void printTimelineReport(const TimelineReport& report, std::ostream& out, bool colour) {
  Printer(out, colour).print(report);
}

}  // namespace ostrel
