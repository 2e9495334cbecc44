#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/MainQueue.h"
#include "platform/Workspace.h"
#include "platform/events/EventSystem.h"
#include "platform/sim/ManualMainQueue.h"
#include "platform/sim/RecordingEventBackend.h"
#include "platform/sim/RecordingWorkspace.h"
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

    SimulatedPlatform()
        : previousClock_(installClock(clock)),
          previousQueue_(installMainQueue(queue)),
          previousWorkspace_(installWorkspace(workspace)),
          previousEvents_(installEventSystem(events)) {}

    ~SimulatedPlatform() {
        installClock(previousClock_);
        installMainQueue(previousQueue_);
        installWorkspace(previousWorkspace_);
        installEventSystem(previousEvents_);
    }

    SimulatedPlatform(const SimulatedPlatform&) = delete;
    SimulatedPlatform& operator=(const SimulatedPlatform&) = delete;

  private:
    std::shared_ptr<Clock> previousClock_;
    std::shared_ptr<MainQueue> previousQueue_;
    std::shared_ptr<Workspace> previousWorkspace_;
    std::shared_ptr<EventSystem> previousEvents_;
};

}  // namespace tavix::platform
