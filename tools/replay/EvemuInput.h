#pragma once

#include <istream>
#include <optional>
#include <string>

#include "platform/linux/input/Evemu.h"

namespace tavix::replay {

// An evemu recording of a Magic Mouse as a touch script: the evdev backend's own decoder turns
// its reports into frames, pointer motion and physical inputs (tools/evdev/ScriptWriter.h); the
// first event plays at t = 1, so that nothing happened "before" it. Nothing, with the problem
// and its line, when the recording is malformed or not of a Magic Mouse.
std::optional<std::string> evemuScript(std::istream& recording,
                                       platform::input::EvemuProblem& problem);

}  // namespace tavix::replay
