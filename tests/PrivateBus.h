#pragma once

#include <signal.h>

#include <cstdio>
#include <string>

namespace tavix::testing {

// A session bus of the test's own; the real one is never reached. A configuration file of the
// test's own may replace the standard session one (to start no services on demand, say).
class PrivateBus {
  public:
    explicit PrivateBus(const std::string& configFile = {}) {
        const std::string config = configFile.empty() ? "--session" : "--config-file=" + configFile;
        const std::string command =
            "dbus-daemon " + config + " --fork --print-address=1 --print-pid=1 2>/dev/null";
        FILE* out = popen(command.c_str(), "r");
        if (!out) return;
        char address[512] = {};
        long pid = 0;
        if (std::fgets(address, sizeof address, out) && std::fscanf(out, "%ld", &pid) == 1) {
            address_ = address;
            if (!address_.empty() && address_.back() == '\n') address_.pop_back();
            pid_ = static_cast<pid_t>(pid);
        }
        pclose(out);
    }
    ~PrivateBus() {
        if (pid_ > 0) kill(pid_, SIGTERM);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return address_; }

  private:
    std::string address_;
    pid_t pid_ = 0;
};

}  // namespace tavix::testing
