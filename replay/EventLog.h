#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Tavix/gestures/LiveStatus.h"
#include "Tavix/gestures/SystemGesture.h"
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
    void system(double t, SystemGesture gesture, SystemDirection direction);
    void opened(double t, const std::string& path, const std::vector<std::string>& args);
    void input(double t, std::string_view name, bool passed);
    // A notification inside the process, such as the request for the settings window.
    void notification(double t, std::string_view name);
    void rescan(double t, const std::vector<RescanEntry>& devices);
    void mouseIDsChanged(double t, bool changed);

    // The errno of the first write that failed (lines after it are dropped), 0 while none has.
    int error() const { return error_; }
    // Writes out what is buffered; the error, if any.
    int flush();

  private:
    void begin(double t);
    void end();
    void noteFailure();

    std::ostream& out_;
    std::string line_;
    int error_ = 0;
};

}  // namespace tavix::replay
