#include "platform/preferences/linux/LinuxHIDEventSystem.h"

namespace tavix::platform {

class LinuxHIDEventSystem::Client final : public HIDEventSystemClient {
  public:
    explicit Client(std::shared_ptr<Properties> properties) : properties_(std::move(properties)) {}

    void setProperty(const std::string& key, const HIDPropertyValue& value) override {
        std::lock_guard guard(properties_->mutex);
        properties_->values.insert_or_assign(key, value);
    }

  private:
    std::shared_ptr<Properties> properties_;
};

LinuxHIDEventSystem::LinuxHIDEventSystem() : properties_(std::make_shared<Properties>()) {}

std::shared_ptr<HIDEventSystemClient> LinuxHIDEventSystem::createSimpleClient() {
    return std::make_shared<Client>(properties_);
}

std::map<std::string, HIDPropertyValue> LinuxHIDEventSystem::properties() const {
    std::lock_guard guard(properties_->mutex);
    return properties_->values;
}

}  // namespace tavix::platform
