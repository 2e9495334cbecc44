#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Permissions.h"

namespace tavix::platform {

// Trust: every Magic Mouse event node present can be opened for reading (with no mouse there is
// nothing to refuse, and nothing granted). Posting: /dev/uinput can be opened for writing. Both
// grants come from Tavix's udev rule; asking for them installs that rule through pkexec and a
// helper that takes no arguments, or else shows the help page that explains it.
class DevicePermissions final : public Permissions {
  public:
    struct Locations {
        std::filesystem::path sysClassInput = "/sys/class/input";
        std::filesystem::path devInput = "/dev/input";
        std::filesystem::path uinput = "/dev/uinput";
        // Where the rule counts as installed, by the helper or by a package.
        std::vector<std::filesystem::path> rules;
        std::filesystem::path helper;
        std::filesystem::path pkexec = "/usr/bin/pkexec";
        std::string helpPage;  // a URL
    };

    // The locations this build was configured with.
    static Locations configured();

    explicit DevicePermissions(Locations locations = configured());

    MouseAccess mouseAccess() override;
    bool canPostEvents() override;
    // Linux grants nothing silently: the tick's repeated request has nothing to do.
    void requestPostEventAccess() override {}
    void requestGrants(Completion completion) override;
    std::string helpPage() const override { return locations_.helpPage; }

  private:
    bool ruleInstalled() const;

    Locations locations_;
    // A pkexec dialog is up: a second request waits for it rather than opening another.
    std::shared_ptr<std::atomic<bool>> asking_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace tavix::platform
