#include <utility>

#include "platform/ServiceSlot.h"
#include "platform/preferences/DistributedNotificationCenter.h"
#include "platform/preferences/HIDEventSystem.h"
#include "platform/preferences/PreferenceStore.h"
#include "platform/preferences/sim/InMemoryPreferenceStore.h"
#include "platform/preferences/sim/RecordingHIDEventSystem.h"
#include "platform/preferences/sim/RecordingNotificationCenter.h"

namespace tavix::platform {
namespace {

ServiceSlot<PreferenceStore>& preferenceStoreSlot() {
    static auto& slot = *new ServiceSlot<PreferenceStore>{[]() -> std::shared_ptr<PreferenceStore> {
        return std::make_shared<InMemoryPreferenceStore>();
    }};
    return slot;
}
ServiceSlot<HIDEventSystem>& hidEventSystemSlot() {
    static auto& slot = *new ServiceSlot<HIDEventSystem>{[]() -> std::shared_ptr<HIDEventSystem> {
        return std::make_shared<RecordingHIDEventSystem>();
    }};
    return slot;
}
ServiceSlot<DistributedNotificationCenter>& notificationCenterSlot() {
    static auto& slot = *new ServiceSlot<DistributedNotificationCenter>{
        []() -> std::shared_ptr<DistributedNotificationCenter> {
            return std::make_shared<RecordingNotificationCenter>();
        }};
    return slot;
}

}  // namespace

PreferenceStore& preferenceStore() {
    return preferenceStoreSlot().get();
}
std::shared_ptr<PreferenceStore> installPreferenceStore(std::shared_ptr<PreferenceStore> s) {
    return preferenceStoreSlot().install(std::move(s));
}

HIDEventSystem& hidEventSystem() {
    return hidEventSystemSlot().get();
}
std::shared_ptr<HIDEventSystem> installHIDEventSystem(std::shared_ptr<HIDEventSystem> s) {
    return hidEventSystemSlot().install(std::move(s));
}

DistributedNotificationCenter& distributedNotificationCenter() {
    return notificationCenterSlot().get();
}
std::shared_ptr<DistributedNotificationCenter> installDistributedNotificationCenter(
    std::shared_ptr<DistributedNotificationCenter> s) {
    return notificationCenterSlot().install(std::move(s));
}

}  // namespace tavix::platform
