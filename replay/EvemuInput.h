#pragma once

#include <optional>
#include <string>

#include "platform/linux/input/Evemu.h"
#include "replay/LineReader.h"

namespace tavix::replay {

// An evemu recording of a Magic Mouse as a touch script: the evdev backend's own decoder turns
// its reports into frames, pointer motion and physical inputs (replay/ScriptWriter.h); the
// first event plays at t = 1, so that nothing happened "before" it. The script's lines give the
// recording's line numbers (the report's SYN_REPORT), so a problem found while playing names
// the line the user can find. Nothing, with the problem in words ("line N: …", or the read that
// failed), when the recording is malformed, goes back in time, not of a Magic Mouse, or cannot
// be read.
std::optional<LineReader> evemuScript(LineReader& recording,
                                      platform::input::EvemuProblem& problem);

}  // namespace tavix::replay
