#pragma once

#include "platform/SystemLog.h"

namespace tavix::platform {

// syslog(3), ident "tavix", facility user; the journal picks it up where there is one.
class Syslog final : public SystemLog {
  public:
    Syslog();
    void write(const std::string& line) override;
};

}  // namespace tavix::platform
