#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tavix::platform {
class LogindSession;
class LogindWakeNotice;
namespace input {
class MagicMouseReader;
}
namespace output {
class UinputOutput;
}
}  // namespace tavix::platform

namespace tavix {

// Installs the real Linux services for the whole run. On the main thread, once the application
// object exists; `arguments` is argv as main received it (a relaunch repeats it).
void installLinuxPlatform(std::vector<std::string> arguments);

// Holds the mouse nodes and the virtual devices only while `session` is active: with another
// user on the seat, nothing of theirs reaches this user's gestures and nothing of ours their
// session. Active again, `wake` tells its observers, which look for the mice as after a wake.
void holdDevicesWhileActive(platform::LogindSession& session,
                            platform::input::MagicMouseReader& reader,
                            std::shared_ptr<platform::output::UinputOutput> output,
                            platform::LogindWakeNotice& wake);

// The running binary's absolute path, as it was at the first call: main makes that call before
// anything else, so that a relaunch after an upgrade starts the new binary, not the deleted one.
const std::string& executablePath();

}  // namespace tavix
