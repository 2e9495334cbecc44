#pragma once

#include <string>
#include <vector>

namespace tavix {

// Installs the real Linux services for the whole run. On the main thread, once the application
// object exists; `arguments` is argv as main received it (a relaunch repeats it).
void installLinuxPlatform(std::vector<std::string> arguments);

// The running binary's absolute path.
std::string executablePath();

}  // namespace tavix
