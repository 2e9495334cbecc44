#pragma once

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/multitouch/SimControlLoader.h"
#include "platform/sim/SimulatedPlatform.h"
#include "replay/EventLog.h"
#include "replay/LineReader.h"
#include "replay/TouchScript.h"

namespace tavix {
class MultitouchManager;
}

namespace tavix::replay {

// Plays a touch script through the application's own path (the simulated framework, the device
// manager, the engine, the actions, the tap) under a virtual clock, logging what the system did.
// One replay per process: the application's singletons are shared.
class Replay {
  public:
    Replay(std::ostream& log, const std::filesystem::path& framework);
    ~Replay();

    // Plays every line, stopping at the first problem with one message on `errors`. The exit
    // status of the tool: 0 when the script played to its end, 1 when the log could not be
    // written, 2 when the script could not be read or a line is malformed (the message names it).
    int play(LineReader& script, std::ostream& errors);

  private:
    // The problem in words, or empty when the line was applied.
    std::string apply(std::string_view text);
    std::string apply(const line::Device& device);
    std::string apply(const line::Timed& timed);
    std::string run(const line::Action& action);
    void setMouse(const line::Mouse& mouse);
    void rescan();
    double now() const;

    EventLog log_;
    platform::SimulatedPlatform services_;
    std::optional<platform::mt::SimControl> control_;
    MultitouchManager* manager_ = nullptr;
    std::vector<int64_t> declared_;  // declaration order
    std::set<int64_t> attached_;
    std::optional<double> lastTime_;
};

}  // namespace tavix::replay
