#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/events/EventSystem.h"
#include "platform/sim/ManualMainQueue.h"
#include "platform/sim/VirtualClock.h"
#include "tests/support/MultitouchManagerTestAccess.h"

namespace tavix {

namespace {

// Every posted event must be usable: a location and an amount that are numbers.
class CheckingBackend final : public platform::EventBackend {
  public:
    std::optional<Point> pointerLocation() override { return Point{500, 400}; }
    void posted(platform::EventTapLocation, const platform::Event& event) override {
        const double amount = event.doubleValue(platform::EventField::gestureZoomValue);
        if (!isFinite(event.location()) || !std::isfinite(amount)) std::abort();
    }
    void leftTaps(const platform::Event&, platform::EventOrigin, bool) override {}
};

// Reads the input front to back; zeros once it runs out.
class Bytes {
  public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    template <class T>
    T take() {
        T value{};
        const size_t n = std::min(sizeof value, size_ - std::min(at_, size_));
        std::memcpy(&value, data_ + at_, n);
        at_ += sizeof value;
        return value;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace
}  // namespace tavix

// A stream of frames, each with a time step, a contact count and raw records, sometimes with a
// new configuration, through mtCallback into the engine.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavix;
    static int handle = 0;
    static const bool ready = [] {
        platform::installMainQueue(std::make_shared<platform::ManualMainQueue>());
        platform::installEventSystem(
            std::make_shared<platform::EventSystem>(std::make_shared<CheckingBackend>()));
        MultitouchManagerTestAccess::setActive({{.id = reinterpret_cast<uintptr_t>(&handle),
                                                 .ref = &handle,
                                                 .family = 112,
                                                 .widthMM = 50,
                                                 .heightMM = 90}});
        return true;
    }();
    (void)ready;

    auto clock = std::make_shared<platform::VirtualClock>(100.0);
    platform::installClock(clock);
    GestureEngine engine;
    MultitouchManager::shared().onFrame =
        [&engine](const MTDeviceInfo&, std::span<const Touch> touches) { engine.process(touches); };

    Bytes bytes(data, size);
    std::vector<MTTouch> records;
    while (!bytes.empty()) {
        const auto step = bytes.take<uint8_t>();
        if (step == 0xFF) {
            GestureConfig config;
            config.zoomMode = bytes.take<uint8_t>() % 2 ? ZoomMode::keyboard : ZoomMode::native;
            config.zoomGain = bytes.take<double>();
            config.zoomStartMM = bytes.take<double>();
            config.pinch3Ratio = bytes.take<double>();
            config.enabled = bytes.take<uint8_t>() % 8 != 0;
            engine.setConfig(config);
            continue;
        }
        clock->advance(step / 1000.0);
        const auto count = static_cast<int32_t>(bytes.take<int8_t>());
        records.assign(static_cast<size_t>(std::clamp(count, 0, 16)), MTTouch{});
        for (auto& record : records) {
            record.identifier = bytes.take<uint8_t>() % 8;
            record.state = bytes.take<uint8_t>() % 8;
            record.normalized.position.x = bytes.take<float>();
            record.normalized.position.y = bytes.take<float>();
        }
        mtCallback(&handle, records.data(), count > 16 ? 16 : count, clock->uptime(), 0);
    }
    MultitouchManager::shared().onFrame = nullptr;
    return 0;
}
