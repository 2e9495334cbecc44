#pragma once

#include <memory>
#include <string>

namespace tavix::platform {

// The system's log, for the rare line a user or administrator should be able to find.
class SystemLog {
  public:
    virtual ~SystemLog() = default;
    virtual void write(const std::string& line) = 0;
};

// The process-wide SystemLog; the simulated one until another is installed.
SystemLog& systemLog();
std::shared_ptr<SystemLog> installSystemLog(std::shared_ptr<SystemLog> service);

}  // namespace tavix::platform
