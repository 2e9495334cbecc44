// The application's input side over whatever devices the process sees, for tests that emulate
// them (umockdev): the shared reader, the dlopen'd multitouch framework, the engine, the event
// tap and both uinput outputs, on the real clock. Commands come on standard input, one a line;
// what happens goes to standard output, one line each:
//   rescan        → "devices N" (the Magic Mice the manager started)
//   tap on|off    → "tap RUNNING DROPS" (InputMonitor::isRunning, canDropPhysical as 0/1)
//   sync          → "synced" once everything read so far has been handled and written
// and unasked: "opened NODE", "closed NODE", "frame NODE FINGERS TIME", "status FINGERS GESTURE",
// "physical TYPE DELIVERED".
#include <poll.h>
#include <unistd.h>

#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>

#include "Tavix/events/InputMonitor.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/events/EventSystem.h"
#include "platform/linux/LinuxEventBackend.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/input/MagicMouseReader.h"
#include "platform/linux/output/Sleeper.h"
#include "platform/sim/ManualMainQueue.h"

namespace {

using namespace tavix;
using namespace tavix::platform;

std::mutex outputMutex;

void say(const std::string& line) {
    std::lock_guard guard(outputMutex);
    std::cout << line << std::endl;
}

class Watcher final : public input::MagicMouseListener {
  public:
    void opened(const input::MagicMouseDevice& device) override {
        say("opened " + device.node.devnode.string());
    }
    void frame(const input::MagicMouseDevice& device, const input::DecodedFrame& frame) override {
        if (frame.touches) {
            say("frame " + device.node.devnode.string() + " " +
                std::to_string(frame.contacts.size()) + " " + std::to_string(frame.time));
        }
    }
    void closed(const input::MagicMouseDevice& device) override {
        say("closed " + device.node.devnode.string());
    }
};

}  // namespace

int main() {
    auto clock = std::make_shared<SystemClock>();
    installClock(clock);
    auto queue = std::make_shared<ManualMainQueue>();
    installMainQueue(queue);
    auto& reader = input::MagicMouseReader::shared();
    Watcher watcher;
    reader.addListener(watcher);

    std::string error;
    auto output =
        output::UinputOutput::open(clock, std::make_shared<output::SystemSleeper>(), &error);
    if (!error.empty()) say("output " + error);
    auto physical = std::make_shared<input::PhysicalInput>(reader);
    LinuxEventBackend::Parts parts{
        .output = output,
        .pointer = nullptr,
        .runAction = {},
        .physical =
            [](const Event& event, bool delivered) {
                say("physical " + std::to_string(static_cast<int>(event.type())) + " " +
                    (delivered ? "1" : "0"));
            },
        .input = physical};
    installEventSystem(std::make_shared<EventSystem>(std::make_shared<LinuxEventBackend>(parts)));

    auto& engine = GestureEngine::shared();
    engine.onStatus = [](const LiveStatus& status) {
        say("status " + std::to_string(status.fingers) + " " + status.lastGesture);
    };
    auto& manager = MultitouchManager::shared();
    manager.onFrame = [&engine](const MTDeviceInfo&, std::span<const Touch> touches) {
        engine.process(touches);
    };
    say("ready");

    std::string pending;
    for (;;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, 5) > 0) {
            char buffer[256];
            const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got <= 0) break;
            pending.append(buffer, static_cast<std::size_t>(got));
        }
        queue->drain();
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            std::istringstream command(pending.substr(0, end));
            pending.erase(0, end + 1);
            std::string verb;
            std::string argument;
            command >> verb >> argument;
            if (verb == "rescan") {
                say("devices " + std::to_string(manager.rescan().size()));
            } else if (verb == "tap") {
                auto& monitor = InputMonitor::shared();
                if (argument == "on") {
                    monitor.start();
                } else {
                    monitor.stop();
                }
                queue->drain();
                say(std::string("tap ") + (monitor.isRunning() ? "1" : "0") + " " +
                    (physical->canDropPhysical() ? "1" : "0"));
            } else if (verb == "sync") {
                reader.call([] {});
                queue->drain();
                if (output) output->waitIdle();
                say("synced");
            }
        }
    }
    InputMonitor::shared().stop();
    queue->drain();
    manager.stopAll();
    reader.removeListener(watcher);
    return 0;
}
