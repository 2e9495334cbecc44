#pragma once

#include "platform/Workspace.h"

namespace tavix::platform {

// The real file system; an application path is started as a program with its arguments, never
// through a shell.
class DesktopWorkspace final : public Workspace {
  public:
    void openApplication(const std::string& path, const OpenConfiguration& configuration,
                         Completion completion) override;
    bool fileExists(const std::string& path) const override;
    // Through xdg-open, with the URL as its one argument.
    bool openURL(const std::string& url) override;
};

}  // namespace tavix::platform
