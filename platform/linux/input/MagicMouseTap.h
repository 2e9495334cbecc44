#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include <vector>

#include "platform/Geometry.h"
#include "platform/events/EventBackend.h"
#include "platform/linux/input/MagicMouseReader.h"
#include "platform/linux/input/UinputDevice.h"

namespace tavix::platform::input {

// The physical side of the event tap on Linux. While a tap is installed every Magic Mouse node
// is grabbed and re-emitted through a clone that looks like a plain mouse; button and wheel
// events enter the tap chain (EventSystem::injectPhysical) and reach the clone only if they
// pass. Events of one mouse leave in the order they came: motion goes straight out unless a
// tapped event of that mouse still waits for its verdict. A mouse that cannot be cloned or
// grabbed is only watched, and canDropPhysical() says so.
//
// The desktop's EventBackend forwards its tapsInstalled, canDropPhysical and leftTaps here.
class MagicMouseTap final : private MagicMouseListener {
  public:
    using MakeClone = std::function<std::unique_ptr<InputSink>(const MagicMouseDevice&)>;

    // A verdict that does not come in this time (the main thread is stuck) counts as passed, so
    // that the mouse never stays frozen behind it.
    static constexpr std::chrono::milliseconds kVerdictTimeout{500};

    MagicMouseTap(MagicMouseReader& reader, MakeClone makeClone = uinputClone);
    ~MagicMouseTap() override;
    MagicMouseTap(const MagicMouseTap&) = delete;
    MagicMouseTap& operator=(const MagicMouseTap&) = delete;

    // Main thread.
    void tapsInstalled(bool installed);
    bool canDropPhysical();
    void leftTaps(const Event& event, EventOrigin origin, bool delivered);

    // The relative motion read from every Magic Mouse so far, in device units.
    Point motion();

    // Exactly what a clone emits: relative motion, three buttons, both wheels with their
    // high-resolution axes; no multitouch axes.
    static DeviceCapabilities cloneCapabilities(const MagicMouseDevice& device);
    static std::unique_ptr<InputSink> uinputClone(const MagicMouseDevice& device);

  private:
    struct Unit {  // one tapped event of a frame
        uint64_t number = 0;
        EventType type = EventType::null;
        uint16_t code = 0;  // the button; 0 for the wheels
        bool decided = false;
        bool passed = true;
    };
    struct Held {  // a frame waiting for the verdicts on its tapped events
        std::vector<InputEvent> events;
        std::vector<Unit> units;
        std::chrono::steady_clock::time_point since;
    };
    struct Mouse {
        MagicMouseDevice device;
        std::unique_ptr<InputSink> clone;
        bool grabbed = false;
        bool closed = false;
        // A grab sends no releases: with a button down the desktop would keep it pressed, so
        // the grab waits until every button is up.
        std::set<uint16_t> buttonsDown;
        bool grabWaitsForRelease = false;
        std::deque<Held> queue;
    };

    void opened(const MagicMouseDevice& device) override;
    void frame(const MagicMouseDevice& device, const DecodedFrame& frame) override;
    void closed(const MagicMouseDevice& device) override;
    int idle() override;

    void takeOver(Mouse& mouse);
    void release(Mouse& mouse);
    // Writes the frames at the head of the queue whose verdicts are all in. Under mutex_.
    void flush(Mouse& mouse);
    void forgetIfDone(uint64_t key);

    MagicMouseReader& reader_;
    const MakeClone makeClone_;
    std::mutex mutex_;  // guards everything below
    bool tapping_ = false;
    std::map<uint64_t, Mouse> mice_;
    std::unordered_map<uint64_t, uint64_t> waiting_;  // event number → mouse key
    uint64_t nextNumber_ = 1;
    Point motion_;
};

}  // namespace tavix::platform::input
