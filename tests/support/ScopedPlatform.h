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

namespace tavix::testing {

// Fresh simulated services for one test; the previous ones come back when it ends.
struct ScopedPlatform {
    std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
    std::shared_ptr<platform::ManualMainQueue> queue =
        std::make_shared<platform::ManualMainQueue>();
    std::shared_ptr<platform::RecordingWorkspace> workspace =
        std::make_shared<platform::RecordingWorkspace>();
    std::shared_ptr<platform::RecordingEventBackend> backend =
        std::make_shared<platform::RecordingEventBackend>();
    std::shared_ptr<platform::EventSystem> events =
        std::make_shared<platform::EventSystem>(backend);

    ScopedPlatform()
        : previousClock_(platform::installClock(clock)),
          previousQueue_(platform::installMainQueue(queue)),
          previousWorkspace_(platform::installWorkspace(workspace)),
          previousEvents_(platform::installEventSystem(events)) {}

    ~ScopedPlatform() {
        platform::installClock(previousClock_);
        platform::installMainQueue(previousQueue_);
        platform::installWorkspace(previousWorkspace_);
        platform::installEventSystem(previousEvents_);
    }

    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

  private:
    std::shared_ptr<platform::Clock> previousClock_;
    std::shared_ptr<platform::MainQueue> previousQueue_;
    std::shared_ptr<platform::Workspace> previousWorkspace_;
    std::shared_ptr<platform::EventSystem> previousEvents_;
};

}  // namespace tavix::testing
