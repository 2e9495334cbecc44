#include "platform/LoginItems.h"
#include "platform/Permissions.h"
#include "platform/Relauncher.h"
#include "platform/ServiceSlot.h"
#include "platform/SystemLog.h"
#include "platform/WakeNotice.h"
#include "platform/sim/ManualWakeNotice.h"
#include "platform/sim/RecordingLoginItems.h"
#include "platform/sim/RecordingRelauncher.h"
#include "platform/sim/RecordingSystemLog.h"
#include "platform/sim/SimulatedPermissions.h"

// The services the application itself needs beyond the core's. Slots are never destroyed: the
// frame thread may still run while the process exits.
namespace tavix::platform {
namespace {

template <class Service, class Simulated>
ServiceSlot<Service>& slotOf() {
    static auto& slot = *new ServiceSlot<Service>(
        []() -> std::shared_ptr<Service> { return std::make_shared<Simulated>(); });
    return slot;
}

}  // namespace

Permissions& permissions() {
    return slotOf<Permissions, SimulatedPermissions>().get();
}
std::shared_ptr<Permissions> installPermissions(std::shared_ptr<Permissions> s) {
    return slotOf<Permissions, SimulatedPermissions>().install(std::move(s));
}

LoginItems& loginItems() {
    return slotOf<LoginItems, RecordingLoginItems>().get();
}
std::shared_ptr<LoginItems> installLoginItems(std::shared_ptr<LoginItems> s) {
    return slotOf<LoginItems, RecordingLoginItems>().install(std::move(s));
}

WakeNotice& wakeNotice() {
    return slotOf<WakeNotice, ManualWakeNotice>().get();
}
std::shared_ptr<WakeNotice> installWakeNotice(std::shared_ptr<WakeNotice> s) {
    return slotOf<WakeNotice, ManualWakeNotice>().install(std::move(s));
}

SystemLog& systemLog() {
    return slotOf<SystemLog, RecordingSystemLog>().get();
}
std::shared_ptr<SystemLog> installSystemLog(std::shared_ptr<SystemLog> s) {
    return slotOf<SystemLog, RecordingSystemLog>().install(std::move(s));
}

Relauncher& relauncher() {
    return slotOf<Relauncher, RecordingRelauncher>().get();
}
std::shared_ptr<Relauncher> installRelauncher(std::shared_ptr<Relauncher> s) {
    return slotOf<Relauncher, RecordingRelauncher>().install(std::move(s));
}

}  // namespace tavix::platform
