#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "Tavix/events/EventMarker.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/sim/SimulatedPlatform.h"
#include "tests/support/MultitouchManagerTestAccess.h"

namespace tavix::testing {

// A contact given in millimetres on the test mouse.
struct Contact {
    int32_t id;
    double x;
    double y;
    int32_t state = kTouchStateMakeTouch;
};

inline MTTouch rawRecord(int32_t id, int32_t state, float nx, float ny) {
    MTTouch record{};
    record.identifier = id;
    record.state = state;
    record.normalized.position = {nx, ny};
    return record;
}

// One mouse (50 × 90 mm) started, its frames going through mtCallback into a fresh engine under
// the virtual clock, with every status report kept.
class Scenario {
  public:
    static constexpr double kWidthMM = 50;
    static constexpr double kHeightMM = 90;

    Scenario() {
        MultitouchManagerTestAccess::setActive({mouse});
        MultitouchManager::shared().onFrame = [this](const MTDeviceInfo&,
                                                     std::span<const Touch> touches) {
            engine.process(touches);
        };
        engine.onStatus = [this](LiveStatus s) { statuses.push_back(std::move(s)); };
        platform.backend->setPointer(Point{500, 400});
    }

    ~Scenario() {
        MultitouchManager::shared().onFrame = nullptr;
        MultitouchManagerTestAccess::setActive({});
    }

    void frame(double t, const std::vector<Contact>& contacts) {
        platform.clock->set(t);
        std::vector<MTTouch> records;
        for (const auto& c : contacts) {
            records.push_back(rawRecord(c.id, c.state, static_cast<float>(c.x / kWidthMM),
                                        static_cast<float>(c.y / kHeightMM)));
        }
        mtCallback(mouse.ref, records.data(), static_cast<int32_t>(records.size()), t, 0);
        platform.queue->drain();
    }

    // A finger touching down at `down` and lifting at `up`, in place.
    void tap(double down, double up, int32_t id = 1) {
        frame(down, {{id, 25, 45}});
        frame(up, {});
    }

    void setConfig(const GestureConfig& config) { engine.setConfig(config); }
    void pointer(Point p) { platform.backend->setPointer(p); }

    std::vector<platform::RecordingEventBackend::Posted> posted() const {
        return platform.backend->posted();
    }
    std::vector<std::string> reports() const {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < statuses.size(); ++i) {
            const bool changed =
                i == 0 ? statuses[i].lastGesture != "—"
                       : statuses[i].lastGesture != statuses[i - 1].lastGesture ||
                             statuses[i].lastGestureTime != statuses[i - 1].lastGestureTime;
            if (changed) texts.push_back(statuses[i].lastGesture);
        }
        return texts;
    }

    platform::SimulatedPlatform platform;
    GestureEngine engine;
    std::vector<LiveStatus> statuses;
    int mouseHandle = 0;
    MTDeviceInfo mouse{.id = reinterpret_cast<uintptr_t>(&mouseHandle),
                       .ref = &mouseHandle,
                       .deviceID = 7,
                       .family = MTDeviceInfo::kMagicMouseFamily,
                       .widthMM = kWidthMM,
                       .heightMM = kHeightMM};
};

// Three fingers on a circle of radius `spread` around the middle of the mouse: their spread.
inline std::vector<Contact> triangle(double spread, int32_t firstId = 1) {
    std::vector<Contact> contacts;
    for (int i = 0; i < 3; ++i) {
        const double angle = std::numbers::pi / 2 + i * 2 * std::numbers::pi / 3;
        contacts.push_back(
            {firstId + i, 25 + spread * std::cos(angle), 45 + spread * std::sin(angle)});
    }
    return contacts;
}

// Two fingers `apart` millimetres apart, side by side.
inline std::vector<Contact> pair(double apart, int32_t firstId = 1) {
    return {{firstId, 25 - apart / 2, 45}, {firstId + 1, 25 + apart / 2, 45}};
}

inline bool isMarked(const platform::Event& e) {
    return e.integerValue(platform::EventField::eventSourceUserData) == kTavixEventMarker;
}

}  // namespace tavix::testing
