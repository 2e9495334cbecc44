#pragma once

#include <gtest/gtest.h>

#include "platform/multitouch/SimControlLoader.h"
#include "tests/Eventually.h"

namespace tavix::testing {

inline MTSimDevice simDevice(int64_t handle, int32_t family, uint64_t deviceID,
                             int32_t width = 5000, int32_t height = 9000, bool builtIn = false,
                             bool attached = true) {
    return {.handle = handle,
            .family = family,
            .deviceID = deviceID,
            .width = width,
            .height = height,
            .builtIn = builtIn,
            .attached = attached};
}

inline void declare(const platform::mt::SimControl& control, const MTSimDevice& device) {
    ASSERT_EQ(control.declareDevice(&device), 0);
}

inline MTSimContact simContact(int32_t id, float x, float y, int32_t state = 4) {
    return {.identifier = id, .state = state, .x = x, .y = y};
}

// The control functions of a test framework file, reset for a fresh test.
inline platform::mt::SimControl freshControl(const char* framework) {
    auto control = platform::mt::SimControl::open(framework);
    if (!control) throw std::runtime_error(std::string("no control functions in ") + framework);
    control->reset();
    return *control;
}

}  // namespace tavix::testing
