#pragma once

#include <optional>
#include <string>

#include "platform/linux/input/Evemu.h"
#include "replay/LineReader.h"

namespace tavix::replay {

// An evemu recording of a Magic Mouse as a touch script: the evdev backend's own decoder turns
// its reports into frames, pointer motion and physical inputs (replay/ScriptWriter.h); the
// first event plays at t = 1, so that nothing happened "before" it. Nothing, with the problem
// in words ("line N: …" of the recording, or the read that failed), when the recording is
// malformed, goes back in time or lasts longer than a script can, is not of a Magic Mouse, or
// cannot be read: whatever the script could not play is found here, where the line is known.
std::optional<std::string> evemuScript(LineReader& recording,
                                       platform::input::EvemuProblem& problem);

}  // namespace tavix::replay
