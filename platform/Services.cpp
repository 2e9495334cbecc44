#include <utility>

#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/ServiceSlot.h"
#include "platform/Workspace.h"
#include "platform/events/EventSystem.h"
#include "platform/sim/ManualMainQueue.h"
#include "platform/sim/RecordingEventBackend.h"
#include "platform/sim/RecordingWorkspace.h"
#include "platform/sim/VirtualClock.h"

namespace tavix::platform {
namespace {

ServiceSlot<Clock>& clockSlot() {
    static auto& slot = *new ServiceSlot<Clock>{
        []() -> std::shared_ptr<Clock> { return std::make_shared<VirtualClock>(); }};
    return slot;
}
ServiceSlot<MainQueue>& mainQueueSlot() {
    static auto& slot = *new ServiceSlot<MainQueue>{
        []() -> std::shared_ptr<MainQueue> { return std::make_shared<ManualMainQueue>(); }};
    return slot;
}
ServiceSlot<Workspace>& workspaceSlot() {
    static auto& slot = *new ServiceSlot<Workspace>{
        []() -> std::shared_ptr<Workspace> { return std::make_shared<RecordingWorkspace>(); }};
    return slot;
}
ServiceSlot<EventSystem>& eventSystemSlot() {
    static auto& slot = *new ServiceSlot<EventSystem>{
        [] { return std::make_shared<EventSystem>(std::make_shared<RecordingEventBackend>()); }};
    return slot;
}

}  // namespace

Clock& clock() {
    return clockSlot().get();
}
std::shared_ptr<Clock> installClock(std::shared_ptr<Clock> s) {
    return clockSlot().install(std::move(s));
}

MainQueue& mainQueue() {
    return mainQueueSlot().get();
}
std::shared_ptr<MainQueue> installMainQueue(std::shared_ptr<MainQueue> s) {
    return mainQueueSlot().install(std::move(s));
}

Workspace& workspace() {
    return workspaceSlot().get();
}
std::shared_ptr<Workspace> installWorkspace(std::shared_ptr<Workspace> s) {
    return workspaceSlot().install(std::move(s));
}

EventSystem& eventSystem() {
    return eventSystemSlot().get();
}
std::shared_ptr<EventSystem> installEventSystem(std::shared_ptr<EventSystem> s) {
    return eventSystemSlot().install(std::move(s));
}

}  // namespace tavix::platform
