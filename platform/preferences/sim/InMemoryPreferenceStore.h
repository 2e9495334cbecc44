#pragma once

#include <map>
#include <mutex>
#include <variant>
#include <vector>

#include "platform/preferences/PreferenceStore.h"

namespace tavix::platform {

// Preferences held in memory for tests; it records every write and synchronisation in order.
class InMemoryPreferenceStore final : public PreferenceStore {
  public:
    struct Set {
        PreferenceDomain domain;
        std::string key;
        PreferenceValue value;
        bool operator==(const Set&) const = default;
    };
    struct Synchronize {
        PreferenceDomain domain;
        bool operator==(const Synchronize&) const = default;
    };
    using Operation = std::variant<Set, Synchronize>;

    std::optional<PreferenceValue> copyValue(const std::string& key,
                                             const PreferenceDomain& domain) const override;
    void setValue(const std::string& key, const PreferenceValue& value,
                  const PreferenceDomain& domain) override;
    bool synchronize(const PreferenceDomain& domain) override;

    // Puts a value in place as if another process had stored it; not recorded.
    void preset(const std::string& key, const PreferenceValue& value,
                const PreferenceDomain& domain);
    std::vector<Operation> operations() const;
    void clearOperations();

  private:
    mutable std::mutex mutex_;
    std::map<PreferenceDomain, std::map<std::string, PreferenceValue>> domains_;
    std::vector<Operation> operations_;
};

}  // namespace tavix::platform
