// Prints a timeline report for authors: sections, blocks and findings, aligned in columns,
// in colour on a terminal.
#pragma once

#include "tools/timeline-check/TimelineReport.h"

#include <ostream>

namespace ostrel {

void printTimelineReport(const TimelineReport& report, std::ostream& out, bool colour);

}  // namespace ostrel
