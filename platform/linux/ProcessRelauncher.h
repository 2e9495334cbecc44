#pragma once

#include <string>
#include <vector>

#include "platform/Relauncher.h"

namespace tavix::platform {

// Re-executes the running binary (/proc/self/exe, whatever its path looks like) with the same
// arguments, about 0.8 s later, from a forked child: no shell ever sees the path or the
// arguments. The new process finds this one's pid in kRelaunchVariable, so that it can wait for
// this one to end before it claims the single instance.
class ProcessRelauncher final : public Relauncher {
  public:
    static constexpr const char* kRelaunchVariable = "TAVIX_RELAUNCH_OF";

    // argv as main received it, argv[0] included.
    explicit ProcessRelauncher(std::vector<std::string> arguments, double delaySeconds = kDelaySeconds);
    bool relaunch() override;

  private:
    std::vector<std::string> arguments_;
    double delay_;
};

}  // namespace tavix::platform
