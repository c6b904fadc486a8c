// Checks a timeline MIDI file against the production's authoring rules, the way the
// program will read it: the markers and their scenes, the effect tracks' blocks and
// parameters, and every note that would end or spoil a run.
#pragma once

#include "registry/Resources.h"
#include "tools/timeline-check/TimelineReport.h"

#include <cstdint>
#include <span>
#include <string>

namespace ostrel {

// The audio library must be initialised; the MIDI stream opened for the check stays open
// until BASS_Free. audioLength is the audio stream's length in bytes
// (0 when unknown): the last section reaches at least that far.
TimelineReport checkTimeline(const std::string& midiName, std::span<const std::uint8_t> midiBytes,
                             std::uint64_t audioLength, const Resources& resources);

}  // namespace ostrel
