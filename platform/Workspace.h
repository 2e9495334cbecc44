#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavix::platform {

struct OpenConfiguration {
    std::vector<std::string> arguments;
    bool activates = false;
};

// Launching applications and asking the file system, as the desktop sees them.
class Workspace {
  public:
    using Completion = std::function<void(bool opened)>;

    virtual ~Workspace() = default;
    // Called on the main thread; the completion may run later, on any thread.
    virtual void openApplication(const std::string& path, const OpenConfiguration& configuration,
                                 Completion completion) = 0;
    virtual bool fileExists(const std::string& path) const = 0;
    // A page or file in the user's preferred application; false when nothing could be started.
    virtual bool openURL(const std::string& url) = 0;
};

// The process-wide Workspace; the simulated one until another is installed.
Workspace& workspace();
std::shared_ptr<Workspace> installWorkspace(std::shared_ptr<Workspace> service);

}  // namespace tavix::platform
