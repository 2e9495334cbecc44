#pragma once

#include <compare>
#include <string>
#include <utility>

namespace tavix::platform {

// Where a preference lives: the global domain (any application, current user, any host) or one
// application's domain (current user, any host).
class PreferenceDomain {
  public:
    static PreferenceDomain global() { return PreferenceDomain(kGlobalName); }
    static PreferenceDomain application(std::string identifier) {
        return PreferenceDomain(std::move(identifier));
    }

    bool isGlobal() const { return name_ == kGlobalName; }
    // The global domain is named after the file macOS keeps it in.
    const std::string& name() const { return name_; }

    // clang-tidy 14 reads the defaulted comparison's 0 as a null pointer.
    auto operator<=>(const PreferenceDomain&) const = default;  // NOLINT(modernize-use-nullptr)

  private:
    static constexpr const char* kGlobalName = ".GlobalPreferences";

    explicit PreferenceDomain(std::string name) : name_(std::move(name)) {}

    std::string name_;
};

}  // namespace tavix::platform
