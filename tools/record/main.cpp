// tavix-record: records the Magic Mice into a touch script on standard output until Ctrl+C.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/input/MagicMouseReader.h"
#include "replay/ScriptWriter.h"

namespace {

using namespace tavix;
using namespace tavix::platform::input;

// Declares each mouse when it first appears and writes its reports, times counted from the
// start of the recording plus one second (a replay starts nothing before t = 1). Each opening
// of a node keeps its own clock (a node may refuse CLOCK_MONOTONIC), so its first report is
// placed on the recording's own clock and the rest follow their stamps from there.
class Recorder final : public MagicMouseListener {
  public:
    explicit Recorder(std::ostream& out) : writer_(out), out_(out) {}

    void opened(const MagicMouseDevice& device) override {
        std::lock_guard guard(mutex_);
        const int64_t handle = handleOf(device);
        // A mouse that comes during the recording is started by a poll, as the application's
        // health poll would; one that came back is attached again first.
        if (detached_.erase(handle)) due_.push_back("\"attach\": " + std::to_string(handle));
        pollDue_ = pollDue_ || start_.has_value();
        std::cerr << "tavix-record: recording " << device.node.name << " ("
                  << device.node.devnode.string() << ")\n";
    }
    void frame(const MagicMouseDevice& device, const DecodedFrame& frame) override {
        std::lock_guard guard(mutex_);
        const double now = std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
        if (!start_) start_ = now;
        const double offset =
            offsets_.try_emplace(device.key, 1.0 + (now - *start_) - frame.time).first->second;
        // Times never decrease in a script, though two nodes' clocks may disagree slightly.
        const double t = std::max(last_, offset + frame.time);
        last_ = t;
        for (const auto& body : due_) writer_.line(t, body);
        if (pollDue_) writer_.line(t, "\"poll\": true");
        due_.clear();
        pollDue_ = false;
        writer_.report(handleOf(device), t, frame);
        out_.flush();
    }
    void closed(const MagicMouseDevice& device) override {
        std::lock_guard guard(mutex_);
        const int64_t handle = handleOf(device);
        detached_.insert(handle);
        offsets_.erase(device.key);
        due_.push_back("\"detach\": " + std::to_string(handle));
        pollDue_ = true;
        std::cerr << "tavix-record: " << device.node.devnode.string() << " went away\n";
    }

  private:
    int64_t handleOf(const MagicMouseDevice& device) {
        // The same mouse keeps its handle when it comes back.
        auto found = handles_.find(device.deviceID);
        if (found != handles_.end()) return found->second;
        const int64_t handle = static_cast<int64_t>(handles_.size()) + 1;
        handles_[device.deviceID] = handle;
        writer_.device(handle, device.node.model, device.deviceID);
        return handle;
    }

    std::mutex mutex_;
    replay::ScriptWriter writer_;
    std::ostream& out_;
    std::map<uint64_t, int64_t> handles_;
    std::set<int64_t> detached_;
    std::vector<std::string> due_;  // lines for the time of the next report
    bool pollDue_ = false;
    using Clock = std::chrono::steady_clock;
    std::optional<double> start_;         // on Clock, at the first report
    std::map<uint64_t, double> offsets_;  // per opening: its stamps → script time
    double last_ = 1.0;
};

}  // namespace

int main(int argc, char**) {
    if (argc > 1) {
        std::cerr << "usage: tavix-record > script.jsonl   (Ctrl+C ends the recording)\n";
        return 2;
    }
    // Ctrl+C and termination arrive as readable data, so the recording ends between reports.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before the reader thread exists
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

    std::cout << "# tavix-record: a Magic Mouse recording; play it with tavix-replay\n";
    Recorder recorder(std::cout);
    auto& reader = MagicMouseReader::shared();
    reader.addListener(recorder);
    if (reader.devices().empty()) {
        std::cerr << "tavix-record: no Magic Mouse can be read yet (is it connected, and "
                     "packaging/70-tavix.rules installed?); waiting for one\n";
    }
    pollfd wait{signalFd, POLLIN, 0};
    while (poll(&wait, 1, -1) < 0) {
    }
    reader.removeListener(recorder);  // no report is half written after this
    std::cout.flush();
    std::cerr << "tavix-record: done\n";
    return 0;
}
