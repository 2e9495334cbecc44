#pragma once

#include <mutex>
#include <vector>

#include "platform/preferences/HIDEventSystem.h"

namespace tavix::platform {

// An input system whose clients record every property they are given, in order, in one list
// shared by all of them. It can be told to refuse clients.
class RecordingHIDEventSystem final : public HIDEventSystem {
  public:
    struct Property {
        std::string key;
        HIDPropertyValue value;
        bool operator==(const Property&) const = default;
    };

    RecordingHIDEventSystem();

    std::shared_ptr<HIDEventSystemClient> createSimpleClient() override;

    void setRefusesClients(bool refuses);
    int clientsCreated() const;
    std::vector<Property> properties() const;
    void clearProperties();

  private:
    struct Log {
        std::mutex mutex;
        std::vector<Property> properties;
    };
    class Client;

    mutable std::mutex mutex_;
    bool refuses_ = false;
    int clientsCreated_ = 0;
    std::shared_ptr<Log> log_;
};

}  // namespace tavix::platform
