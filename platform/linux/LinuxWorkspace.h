#pragma once

#include <memory>
#include <optional>

#include "platform/Workspace.h"
#include "platform/linux/DesktopWorkspace.h"
#include "platform/linux/desktop/DesktopActions.h"

namespace tavix::platform {

// The workspace of a Linux desktop. The system application bundles that the pinch targets open
// stand for desktop actions here; everything else is the plain DesktopWorkspace.
class LinuxWorkspace final : public Workspace {
  public:
    explicit LinuxWorkspace(std::shared_ptr<desktop::DesktopActions> actions)
        : actions_(std::move(actions)) {}

    // The desktop action a bundle and its launch arguments stand for, if any.
    static std::optional<desktop::DesktopAction> actionFor(const std::string& path,
                                                           const std::vector<std::string>& args);

    void openApplication(const std::string& path, const OpenConfiguration& configuration,
                         Completion completion) override;
    // The bundles that stand for desktop actions exist; other paths are asked of the disk.
    bool fileExists(const std::string& path) const override;
    bool openURL(const std::string& url) override { return files_.openURL(url); }

  private:
    std::shared_ptr<desktop::DesktopActions> actions_;
    DesktopWorkspace files_;
};

}  // namespace tavix::platform
