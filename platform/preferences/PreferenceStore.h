#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/preferences/PreferenceDomain.h"
#include "platform/preferences/PreferenceValue.h"

namespace tavix::platform {

// The system's preference domains. A value set is seen at once by this process; synchronising a
// domain makes its changes durable and picks up what others wrote.
class PreferenceStore {
  public:
    virtual ~PreferenceStore() = default;

    // Nothing when the key is absent or holds a type outside PreferenceValue.
    virtual std::optional<PreferenceValue> copyValue(const std::string& key,
                                                     const PreferenceDomain& domain) const = 0;
    virtual void setValue(const std::string& key, const PreferenceValue& value,
                          const PreferenceDomain& domain) = 0;
    virtual bool synchronize(const PreferenceDomain& domain) = 0;
};

// The process-wide PreferenceStore; an in-memory one until another is installed.
PreferenceStore& preferenceStore();
std::shared_ptr<PreferenceStore> installPreferenceStore(std::shared_ptr<PreferenceStore> service);

}  // namespace tavix::platform
