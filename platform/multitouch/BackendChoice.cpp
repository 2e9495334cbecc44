// Which backend this framework file serves: real mice, unless the process scripts devices.
#include <atomic>

#include "platform/linux/input/MagicMouseReader.h"
#include "platform/multitouch/Backend.h"
#include "platform/multitouch/EvdevBackend.h"
#include "platform/multitouch/Framework.h"
#include "platform/multitouch/SimBackend.h"

namespace tavix::platform::mt {
namespace {

enum class Choice { open, evdev, simulated };

std::atomic<Choice>& choice() {
    static std::atomic<Choice> made{Choice::open};
    return made;
}

// The first caller decides; everyone after gets that decision.
Choice decide(Choice wanted) {
    Choice expected = Choice::open;
    choice().compare_exchange_strong(expected, wanted);
    return choice().load();
}

}  // namespace

bool chooseSimulation() {
    return decide(Choice::simulated) == Choice::simulated;
}

Backend& selectedBackend() {
    if (decide(Choice::evdev) == Choice::simulated) return SimBackend::shared();
    // Never destroyed, like the Framework that uses it.
    static auto* evdev = new EvdevBackend(
        input::MagicMouseReader::shared(),
        [](uint64_t key, MTContact* records, int32_t count, double timestamp, int32_t frame) {
            Framework::shared().deliver(key, records, count, timestamp, frame);
        });
    return *evdev;
}

}  // namespace tavix::platform::mt
