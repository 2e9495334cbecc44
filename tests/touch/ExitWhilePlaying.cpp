// Returns from main while the simulated framework plays taps, pinches and zooms into the shared
// engine. Everything the frame thread reaches must outlive the static destructors; under
// AddressSanitizer one that does not shows up as a use after free.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/multitouch/SimControlLoader.h"
#include "platform/sim/VirtualClock.h"

namespace {

using namespace std::chrono_literals;
using tavix::GestureEngine;
using tavix::MultitouchManager;

std::atomic<int> handled{0};

// Registered before anything else is made, so it runs after every static destructor, while the
// frame thread keeps delivering.
void keepExiting() {
    const int before = handled.load();
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (handled.load() < before + 50 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
}

}  // namespace

int main() {
    std::atexit(keepExiting);

    auto& manager = MultitouchManager::shared();
    auto control = tavix::platform::mt::SimControl::open(MultitouchManager::frameworkPath());
    if (!manager.isLoaded || !control) return 1;
    control->reset();
    const MTSimDevice mouse{.handle = 1,
                            .family = 112,
                            .deviceID = 7,
                            .width = 5000,
                            .height = 9000,
                            .builtIn = false,
                            .attached = true};
    if (control->declareDevice(&mouse) != 0) return 1;

    // Each frame moves the clock on by 50 ms, so the script's taps are quick and its fingers
    // far enough apart in time to count.
    auto clock = std::make_shared<tavix::platform::VirtualClock>(100.0);
    tavix::platform::installClock(clock);
    manager.onFrame = [clock = clock.get()](const tavix::MTDeviceInfo&,
                                            std::span<const tavix::Touch> touches) {
        clock->advance(0.05);
        GestureEngine::shared().process(touches);
        ++handled;
    };
    manager.rescan();

    static const MTSimContact one[] = {{1, 4, 0.5f, 0.5f}};
    static const MTSimContact three[] = {
        {2, 4, 0.3f, 0.5f}, {3, 4, 0.5f, 0.4f}, {4, 4, 0.7f, 0.5f}};
    static const MTSimContact wide[] = {{5, 4, 0.2f, 0.5f}, {6, 4, 0.5f, 0.3f}, {7, 4, 0.8f, 0.5f}};
    static const MTSimContact narrow[] = {
        {5, 4, 0.45f, 0.5f}, {6, 4, 0.5f, 0.48f}, {7, 4, 0.55f, 0.5f}};
    static const MTSimContact apart[] = {{8, 4, 0.3f, 0.5f}, {9, 4, 0.7f, 0.5f}};
    static const MTSimContact further[] = {{8, 4, 0.2f, 0.5f}, {9, 4, 0.8f, 0.5f}};
    const std::vector<MTSimFrame> script = {
        {0.000, 1, one, 1},     {0.001, 1, one, 1},     {0.002, 1, nullptr, 0},
        {0.003, 1, three, 3},   {0.004, 1, nullptr, 0}, {0.005, 1, wide, 3},
        {0.006, 1, narrow, 3},  {0.007, 1, nullptr, 0}, {0.008, 1, apart, 2},
        {0.009, 1, further, 2}, {0.010, 1, apart, 2},   {0.011, 1, nullptr, 0},
    };
    if (control->playStart(script.data(), static_cast<int32_t>(script.size()), 0.012) != 0) {
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (handled.load() < 100) {
        if (std::chrono::steady_clock::now() > deadline) return 1;
        std::this_thread::sleep_for(1ms);
    }
    return 0;
}
