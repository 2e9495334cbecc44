#include "Tavix/ui/AnimationClock.h"

#include "platform/ServiceSlot.h"
#include "platform/linux/SystemClock.h"

namespace tavix::ui {
namespace {

platform::ServiceSlot<platform::Clock>& slot() {
    static auto& s =
        *new platform::ServiceSlot<platform::Clock>{[]() -> std::shared_ptr<platform::Clock> {
            return std::make_shared<platform::SystemClock>();
        }};
    return s;
}

}  // namespace

platform::Clock& animationClock() {
    return slot().get();
}

std::shared_ptr<platform::Clock> installAnimationClock(std::shared_ptr<platform::Clock> clock) {
    return slot().install(std::move(clock));
}

}  // namespace tavix::ui
