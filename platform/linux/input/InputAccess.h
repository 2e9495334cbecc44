#pragma once

#include <filesystem>

#include "platform/Permissions.h"

namespace tavix::platform::input {

// The two grants of the application on Linux, as real access tests against exactly the nodes
// the udev rule packaging/70-tavix.rules opens up.

// Whether the Magic Mouse event nodes present can all be read, or there are none.
MouseAccess magicMouseAccess(const std::filesystem::path& sysClassInput = "/sys/class/input",
                             const std::filesystem::path& devInput = "/dev/input");

// Watching the input stream ("trust"): every Magic Mouse event node present can be read. With no
// mouse attached there is nothing to refuse, so this is true; it turns false when a mouse comes
// whose node the user may not read.
bool canReadMagicMice(const std::filesystem::path& sysClassInput = "/sys/class/input",
                      const std::filesystem::path& devInput = "/dev/input");

// Posting events: /dev/uinput can be opened for writing.
bool canWriteUinput(const std::filesystem::path& uinput = "/dev/uinput");

}  // namespace tavix::platform::input
