#include "platform/preferences/sim/RecordingHIDEventSystem.h"

namespace tavix::platform {

class RecordingHIDEventSystem::Client final : public HIDEventSystemClient {
  public:
    explicit Client(std::shared_ptr<Log> log) : log_(std::move(log)) {}

    void setProperty(const std::string& key, const HIDPropertyValue& value) override {
        std::lock_guard guard(log_->mutex);
        log_->properties.push_back({key, value});
    }

  private:
    std::shared_ptr<Log> log_;
};

RecordingHIDEventSystem::RecordingHIDEventSystem() : log_(std::make_shared<Log>()) {}

std::shared_ptr<HIDEventSystemClient> RecordingHIDEventSystem::createSimpleClient() {
    std::lock_guard guard(mutex_);
    if (refuses_) return nullptr;
    ++clientsCreated_;
    return std::make_shared<Client>(log_);
}

void RecordingHIDEventSystem::setRefusesClients(bool refuses) {
    std::lock_guard guard(mutex_);
    refuses_ = refuses;
}

int RecordingHIDEventSystem::clientsCreated() const {
    std::lock_guard guard(mutex_);
    return clientsCreated_;
}

std::vector<RecordingHIDEventSystem::Property> RecordingHIDEventSystem::properties() const {
    std::lock_guard guard(log_->mutex);
    return log_->properties;
}

void RecordingHIDEventSystem::clearProperties() {
    std::lock_guard guard(log_->mutex);
    log_->properties.clear();
}

}  // namespace tavix::platform
