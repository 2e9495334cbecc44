#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Tavix/gestures/LiveStatus.h"
#include "platform/events/Event.h"

namespace tavix::replay {

// Writes what the system did as JSON lines, one object per happening, in order.
class EventLog {
  public:
    struct RescanEntry {
        int64_t handle;
        bool magicMouse;
        bool started;
    };

    explicit EventLog(std::ostream& out) : out_(out) {}

    void posted(double t, platform::EventTapLocation location, const platform::Event& event);
    void status(double t, const LiveStatus& status);
    void opened(double t, const std::string& path, const std::vector<std::string>& args);
    void input(double t, std::string_view name, bool passed);
    void rescan(double t, const std::vector<RescanEntry>& devices);
    void mouseIDsChanged(double t, bool changed);

  private:
    void begin(double t);
    void end();

    std::ostream& out_;
    std::string line_;
};

}  // namespace tavix::replay
