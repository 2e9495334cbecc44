#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace tavix::platform {

using HIDPropertyValue = std::variant<std::int64_t, std::string>;

// A connection to the live input system whose properties change how devices behave.
class HIDEventSystemClient {
  public:
    virtual ~HIDEventSystemClient() = default;
    virtual void setProperty(const std::string& key, const HIDPropertyValue& value) = 0;
};

}  // namespace tavix::platform
