#pragma once

#include <string>
#include <vector>

#include "platform/Relauncher.h"

namespace tavix::platform {

// Executes the program again, by the path it was started from, with the same arguments, about
// 0.8 s later, from a forked child: no shell ever sees the path or the arguments. The path, not
// /proc/self/exe: after a package upgrade that is the old, deleted binary, which would load the
// new package's libraries. The new process finds this one's pid in kRelaunchVariable, so that
// it can wait for this one to end before it claims the single instance.
class ProcessRelauncher final : public Relauncher {
  public:
    static constexpr const char* kRelaunchVariable = "TAVIX_RELAUNCH_OF";

    // The running program's absolute path as /proc/self/exe names it now; empty when unknown.
    // Taken at start, before an upgrade can replace the file; a file replaced even earlier is
    // named by its path without the kernel's " (deleted)".
    static std::string runningProgram();

    // `program` from runningProgram() at start; `arguments` as main received them, argv[0]
    // included.
    ProcessRelauncher(std::string program, std::vector<std::string> arguments,
                      double delaySeconds = kDelaySeconds);
    bool relaunch() override;

  private:
    std::string program_;
    std::vector<std::string> arguments_;
    double delay_;
};

}  // namespace tavix::platform
