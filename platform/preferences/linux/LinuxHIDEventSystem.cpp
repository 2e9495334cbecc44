#include "platform/preferences/linux/LinuxHIDEventSystem.h"

namespace tavix::platform {

class LinuxHIDEventSystem::Client final : public HIDEventSystemClient {
  public:
    explicit Client(std::shared_ptr<Properties> properties) : properties_(std::move(properties)) {}

    void setProperty(const std::string& key, const HIDPropertyValue& value) override {
        {
            std::lock_guard guard(properties_->mutex);
            properties_->values.insert_or_assign(key, value);
        }
        if (properties_->apply) properties_->apply(key, value);
    }

  private:
    std::shared_ptr<Properties> properties_;
};

LinuxHIDEventSystem::LinuxHIDEventSystem(Apply apply)
    : properties_(std::make_shared<Properties>()) {
    properties_->apply = std::move(apply);
}

std::shared_ptr<HIDEventSystemClient> LinuxHIDEventSystem::createSimpleClient() {
    return std::make_shared<Client>(properties_);
}

std::map<std::string, HIDPropertyValue> LinuxHIDEventSystem::properties() const {
    std::lock_guard guard(properties_->mutex);
    return properties_->values;
}

}  // namespace tavix::platform
