#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/input/EvdevNode.h"

namespace tavix::platform::input {

// A recording in the text format of the evemu tools: a "# EVEMU" first line, the device's
// N:, I:, P:, B:, A: (and L:, S:) lines, then "E: sec.usec type code value" lines; '#' starts a
// comment anywhere.
struct EvemuRecording {
    struct Event {
        std::size_t line = 0;
        TimedEvent event;
    };
    std::string name;
    uint16_t bustype = 0;
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::map<uint16_t, AxisRange> axes;  // by ABS code
    std::vector<Event> events;

    AxisRange axis(uint16_t code) const {
        const auto found = axes.find(code);
        return found == axes.end() ? AxisRange{} : found->second;
    }
};

struct EvemuProblem {
    std::size_t line = 0;
    std::string what;
};

// The whole recording, or the first malformed line.
TAVIX_EVDEV_API std::optional<EvemuRecording> parseEvemu(std::istream& in, EvemuProblem& problem);

// Whether a first line announces an evemu recording.
TAVIX_EVDEV_API bool isEvemuHeader(std::string_view firstLine);

}  // namespace tavix::platform::input
