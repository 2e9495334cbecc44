#pragma once

#include <string>

namespace tavix::platform::desktop {

// Where the desktop actions report what the user should fix (a bad actions.conf entry).
class ActionLog {
  public:
    virtual ~ActionLog() = default;
    virtual void report(const std::string& message) = 0;
};

// The system log (the journal on systemd machines).
class SyslogActionLog final : public ActionLog {
  public:
    void report(const std::string& message) override;
};

}  // namespace tavix::platform::desktop
