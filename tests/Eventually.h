#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace tavix::testing {

// Waits in real time for something another thread does; false after five seconds.
inline bool eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace tavix::testing
