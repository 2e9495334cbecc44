#include "platform/preferences/sim/InMemoryPreferenceStore.h"

namespace tavix::platform {

std::optional<PreferenceValue> InMemoryPreferenceStore::copyValue(
    const std::string& key, const PreferenceDomain& domain) const {
    std::lock_guard guard(mutex_);
    const auto values = domains_.find(domain);
    if (values == domains_.end()) return std::nullopt;
    const auto found = values->second.find(key);
    if (found == values->second.end()) return std::nullopt;
    return found->second;
}

void InMemoryPreferenceStore::setValue(const std::string& key, const PreferenceValue& value,
                                       const PreferenceDomain& domain) {
    std::lock_guard guard(mutex_);
    domains_[domain].insert_or_assign(key, value);
    operations_.emplace_back(Set{domain, key, value});
}

bool InMemoryPreferenceStore::synchronize(const PreferenceDomain& domain) {
    std::lock_guard guard(mutex_);
    operations_.emplace_back(Synchronize{domain});
    return true;
}

void InMemoryPreferenceStore::preset(const std::string& key, const PreferenceValue& value,
                                     const PreferenceDomain& domain) {
    std::lock_guard guard(mutex_);
    domains_[domain].insert_or_assign(key, value);
}

std::vector<InMemoryPreferenceStore::Operation> InMemoryPreferenceStore::operations() const {
    std::lock_guard guard(mutex_);
    return operations_;
}

void InMemoryPreferenceStore::clearOperations() {
    std::lock_guard guard(mutex_);
    operations_.clear();
}

}  // namespace tavix::platform
