#pragma once

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/linux/input/Evemu.h"
#include "platform/linux/input/MagicMouseReader.h"
#include "tests/Eventually.h"

namespace tavix::platform::input::testing {

// One report: the events, then SYN_REPORT, all stamped `t`.
inline std::vector<TimedEvent> report(double t, std::initializer_list<InputEvent> events) {
    std::vector<TimedEvent> out;
    for (const auto& e : events) out.push_back({t, e});
    out.push_back({t, {EV_SYN, SYN_REPORT, 0}});
    return out;
}

inline InputEvent abs(uint16_t code, int32_t value) {
    return {EV_ABS, code, value};
}

inline std::vector<TimedEvent> events(const EvemuRecording& recording) {
    std::vector<TimedEvent> out;
    for (const auto& e : recording.events) out.push_back(e.event);
    return out;
}

inline EvemuRecording fixture(const char* name) {
    std::ifstream in(std::string(TAVIX_INPUT_FIXTURES) + "/" + name);
    EvemuProblem problem;
    auto recording = parseEvemu(in, problem);
    if (!recording) throw std::runtime_error(name + (": line " + std::to_string(problem.line)));
    return *recording;
}

using tavix::testing::eventually;

// Everything the reader hands to a listener, kept for the test thread.
class Collector final : public MagicMouseListener {
  public:
    struct Frame {
        uint64_t key = 0;
        bool touches = false;
        std::vector<MTContact> contacts;
        std::vector<InputEvent> pointer;
    };

    void opened(const MagicMouseDevice& device) override {
        std::lock_guard guard(mutex_);
        opened_.push_back(device.key);
    }
    void frame(const MagicMouseDevice& device, const DecodedFrame& frame) override {
        std::lock_guard guard(mutex_);
        frames_.push_back({device.key,
                           frame.touches,
                           {frame.contacts.begin(), frame.contacts.end()},
                           {frame.pointer.begin(), frame.pointer.end()}});
    }
    void closed(const MagicMouseDevice& device) override {
        std::lock_guard guard(mutex_);
        closed_.push_back(device.key);
    }

    std::vector<Frame> frames() {
        std::lock_guard guard(mutex_);
        return frames_;
    }
    std::vector<uint64_t> closedKeys() {
        std::lock_guard guard(mutex_);
        return closed_;
    }
    std::size_t frameCount() { return frames().size(); }

  private:
    std::mutex mutex_;
    std::vector<Frame> frames_;
    std::vector<uint64_t> opened_;
    std::vector<uint64_t> closed_;
};

}  // namespace tavix::platform::input::testing
