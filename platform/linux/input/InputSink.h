#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tavix::platform::input {

// One evdev event without its time stamp; the kernel stamps what a uinput device emits.
struct InputEvent {
    uint16_t type = 0;
    uint16_t code = 0;
    int32_t value = 0;
    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

// Where evdev events leave the process: a uinput device on a real desktop, a recording in tests.
class InputSink {
  public:
    virtual ~InputSink() = default;
    // One frame: the events in order, then the SYN_REPORT the sink adds. False when the device
    // refused the write (it may have vanished); the frame is then lost, never half-retried.
    virtual bool writeFrame(std::span<const InputEvent> events) = 0;
};

// Keeps every frame written, for tests and benchmarks.
class RecordingSink final : public InputSink {
  public:
    bool writeFrame(std::span<const InputEvent> events) override {
        frames.emplace_back(events.begin(), events.end());
        return true;
    }
    std::vector<std::vector<InputEvent>> frames;
};

}  // namespace tavix::platform::input
