#pragma once

#include <vector>

#include "platform/linux/input/InputSink.h"

namespace tavix::platform::output {

enum class OutputDevice { pointer, keyboard };

// One evdev frame for one of the two virtual devices; the sink adds the SYN_REPORT.
struct OutputFrame {
    OutputDevice device = OutputDevice::pointer;
    std::vector<input::InputEvent> events;
    friend bool operator==(const OutputFrame&, const OutputFrame&) = default;
};

}  // namespace tavix::platform::output
