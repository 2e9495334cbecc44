#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/LoginItems.h"
#include "platform/MainQueue.h"
#include "platform/Permissions.h"
#include "platform/Relauncher.h"
#include "platform/SystemLog.h"
#include "platform/WakeNotice.h"
#include "platform/Workspace.h"
#include "platform/events/EventSystem.h"
#include "platform/sim/ManualMainQueue.h"
#include "platform/sim/ManualWakeNotice.h"
#include "platform/sim/RecordingEventBackend.h"
#include "platform/sim/RecordingLoginItems.h"
#include "platform/sim/RecordingRelauncher.h"
#include "platform/sim/RecordingSystemLog.h"
#include "platform/sim/RecordingWorkspace.h"
#include "platform/sim/SimulatedPermissions.h"
#include "platform/sim/VirtualClock.h"

namespace tavix::platform {

// A fresh set of simulated services, installed while this lives (a test, a replay); the
// previous ones come back when it ends.
struct SimulatedPlatform {
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::shared_ptr<ManualMainQueue> queue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<RecordingWorkspace> workspace = std::make_shared<RecordingWorkspace>();
    std::shared_ptr<RecordingEventBackend> backend = std::make_shared<RecordingEventBackend>();
    std::shared_ptr<EventSystem> events = std::make_shared<EventSystem>(backend);
    std::shared_ptr<SimulatedPermissions> permissions = std::make_shared<SimulatedPermissions>();
    std::shared_ptr<RecordingLoginItems> loginItems = std::make_shared<RecordingLoginItems>();
    std::shared_ptr<ManualWakeNotice> wake = std::make_shared<ManualWakeNotice>();
    std::shared_ptr<RecordingSystemLog> log = std::make_shared<RecordingSystemLog>();
    std::shared_ptr<RecordingRelauncher> relauncher = std::make_shared<RecordingRelauncher>();

    SimulatedPlatform()
        : previousClock_(installClock(clock)),
          previousQueue_(installMainQueue(queue)),
          previousWorkspace_(installWorkspace(workspace)),
          previousEvents_(installEventSystem(events)),
          previousPermissions_(installPermissions(permissions)),
          previousLoginItems_(installLoginItems(loginItems)),
          previousWake_(installWakeNotice(wake)),
          previousLog_(installSystemLog(log)),
          previousRelauncher_(installRelauncher(relauncher)) {}

    ~SimulatedPlatform() {
        installClock(previousClock_);
        installMainQueue(previousQueue_);
        installWorkspace(previousWorkspace_);
        installEventSystem(previousEvents_);
        installPermissions(previousPermissions_);
        installLoginItems(previousLoginItems_);
        installWakeNotice(previousWake_);
        installSystemLog(previousLog_);
        installRelauncher(previousRelauncher_);
    }

    SimulatedPlatform(const SimulatedPlatform&) = delete;
    SimulatedPlatform& operator=(const SimulatedPlatform&) = delete;

  private:
    std::shared_ptr<Clock> previousClock_;
    std::shared_ptr<MainQueue> previousQueue_;
    std::shared_ptr<Workspace> previousWorkspace_;
    std::shared_ptr<EventSystem> previousEvents_;
    std::shared_ptr<Permissions> previousPermissions_;
    std::shared_ptr<LoginItems> previousLoginItems_;
    std::shared_ptr<WakeNotice> previousWake_;
    std::shared_ptr<SystemLog> previousLog_;
    std::shared_ptr<Relauncher> previousRelauncher_;
};

}  // namespace tavix::platform
