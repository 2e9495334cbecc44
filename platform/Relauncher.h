#pragma once

#include <memory>

namespace tavix::platform {

// Starts a fresh copy of this program, a moment later, with the arguments it was started with.
class Relauncher {
  public:
    static constexpr double kDelaySeconds = 0.8;

    virtual ~Relauncher() = default;
    // False when the copy could not be started. Does not end this process.
    virtual bool relaunch() = 0;
};

// The process-wide Relauncher; the simulated one until another is installed.
Relauncher& relauncher();
std::shared_ptr<Relauncher> installRelauncher(std::shared_ptr<Relauncher> service);

}  // namespace tavix::platform
