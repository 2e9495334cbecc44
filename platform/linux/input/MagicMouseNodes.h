#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/linux/input/EvdevApi.h"
#include "platform/linux/input/MagicMouseModels.h"

namespace tavix::platform::input {

// One evdev node of a Magic Mouse, as sysfs describes it.
struct MagicMouseNode {
    std::filesystem::path devnode;  // /dev/input/eventN
    uint16_t bustype = 0;
    MagicMouseModel model;
    std::string name;
    std::string uniq;  // the Bluetooth or USB address the kernel reports; may be empty
    std::string phys;
};

// The Magic Mouse event nodes present now, sorted by node path. Reads sysfs only; opens no
// device. The roots are parameters so tests can hand in a fake tree.
TAVIX_EVDEV_API std::vector<MagicMouseNode> findMagicMouseNodes(
    const std::filesystem::path& sysClassInput = "/sys/class/input",
    const std::filesystem::path& devInput = "/dev/input");

}  // namespace tavix::platform::input
