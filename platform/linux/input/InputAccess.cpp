#include "platform/linux/input/InputAccess.h"

#include <unistd.h>

#include <algorithm>

#include "platform/linux/input/MagicMouseNodes.h"

namespace tavix::platform::input {

MouseAccess magicMouseAccess(const std::filesystem::path& sysClassInput,
                             const std::filesystem::path& devInput) {
    const auto nodes = findMagicMouseNodes(sysClassInput, devInput);
    if (nodes.empty()) return MouseAccess::noMouse;
    const bool all = std::ranges::all_of(
        nodes, [](const MagicMouseNode& node) { return access(node.devnode.c_str(), R_OK) == 0; });
    return all ? MouseAccess::granted : MouseAccess::refused;
}

bool canReadMagicMice(const std::filesystem::path& sysClassInput,
                      const std::filesystem::path& devInput) {
    return magicMouseAccess(sysClassInput, devInput) != MouseAccess::refused;
}

bool canWriteUinput(const std::filesystem::path& uinput) {
    return access(uinput.c_str(), W_OK) == 0;
}

}  // namespace tavix::platform::input
