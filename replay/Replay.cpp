#include "replay/Replay.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "Tavix/events/Actions.h"
#include "Tavix/events/EventMarker.h"
#include "Tavix/events/InputMonitor.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/gestures/SystemGestures.h"
#include "Tavix/mouse_settings/MouseSettings.h"
#include "Tavix/touch/MultitouchManager.h"

namespace tavix::replay {

using platform::EventType;

namespace {

platform::MouseButton buttonOf(EventType type) {
    if (type == EventType::rightMouseDown) return platform::MouseButton::right;
    if (type == EventType::otherMouseDown) return platform::MouseButton::center;
    return platform::MouseButton::left;
}

// The shortest text that reads back as `value`: 1e-07, not 0.000000.
std::string shortest(double value) {
    char buffer[32];
    return {buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr};
}

}  // namespace

Replay::Replay(std::ostream& log, const std::filesystem::path& framework)
    : log_(log), control_(platform::mt::SimControl::open(framework)) {
    // Only the simulated framework can be scripted; without it the manager stays unloaded.
    if (control_) control_->reset();
    manager_ = &MultitouchManager::shared();

    services_.backend->setListener({
        .posted = [this](const auto& p) { log_.posted(now(), p.location, p.event); },
        .leftTaps =
            [this](const auto& p) {
                if (p.origin == platform::EventOrigin::physical) {
                    log_.input(now(), inputName(p.event.type()), p.delivered);
                }
            },
    });
    services_.workspace->setListener([this](const platform::RecordingWorkspace::Open& open) {
        log_.opened(now(), open.path, open.configuration.arguments);
    });

    auto& engine = GestureEngine::shared();
    engine.onStatus = [this](const LiveStatus& status) { log_.status(now(), status); };
    // Off until a script turns them on, so that every script keeps the log it always had.
    auto& system = SystemGestures::shared();
    system.setSwitches({});
    system.setConfig(engine.config());
    system.onGesture = [this](const SystemGestureReport& report) {
        log_.system(now(), report.gesture, report.direction);
    };
    manager_->onFrame = [&engine, &system](const MTDeviceInfo&, std::span<const Touch> touches) {
        engine.process(touches);
        system.process(touches);
    };
    InputMonitor::shared().start();
}

Replay::~Replay() {
    manager_->stopAll();
    manager_->onFrame = nullptr;
    GestureEngine::shared().onStatus = nullptr;
    SystemGestures::shared().onGesture = nullptr;
    InputMonitor::shared().stop();
}

double Replay::now() const {
    return services_.clock->uptime();
}

int Replay::play(LineReader& script, std::ostream& errors) {
    std::size_t number = 0;
    std::string problem;
    while (problem.empty() && log_.error() == 0) {
        const auto text = script.next();
        if (!text) break;
        ++number;
        problem = apply(*text);
    }
    // Each failure gives one message; a log that failed first explains everything after it.
    if (const int error = log_.flush(); error != 0) {
        errors << "tavix-replay: cannot write the event log: " << std::strerror(error) << '\n';
        return 1;
    }
    if (!problem.empty()) {
        errors << "tavix-replay: line " << number << ": " << problem << '\n';
        return 2;
    }
    if (const int error = script.error(); error != 0) {
        errors << "tavix-replay: cannot read " << script.name();
        if (number > 0) errors << " after line " << number;
        errors << ": " << std::strerror(error) << '\n';
        return 2;
    }
    return 0;
}

std::string Replay::apply(std::string_view text) {
    const auto [parsed, problem] = parseLine(text);
    if (!problem.empty()) return problem;
    if (const auto* device = std::get_if<line::Device>(&parsed)) return apply(*device);
    if (const auto* timed = std::get_if<line::Timed>(&parsed)) return apply(*timed);
    return {};
}

std::string Replay::apply(const line::Device& device) {
    if (std::find(declared_.begin(), declared_.end(), device.handle) != declared_.end()) {
        return "device " + std::to_string(device.handle) + " is already declared";
    }
    if (control_) {
        const MTSimDevice sim{.handle = device.handle,
                              .family = device.family,
                              .deviceID = device.deviceID,
                              .width = device.width,
                              .height = device.height,
                              .builtIn = device.builtIn,
                              .attached = device.attached};
        control_->declareDevice(&sim);
    }
    declared_.push_back(device.handle);
    if (device.attached) attached_.insert(device.handle);
    return {};
}

std::string Replay::apply(const line::Timed& timed) {
    if (lastTime_ && timed.t < *lastTime_) {
        return "time goes backwards (" + shortest(timed.t) + " after " + shortest(*lastTime_) + ")";
    }
    const bool first = !lastTime_;
    lastTime_ = timed.t;
    services_.clock->set(timed.t);
    if (first) rescan();
    std::string problem = run(timed.action);
    services_.queue->drain();
    return problem;
}

std::string Replay::run(const line::Action& action) {
    auto known = [this](int64_t handle) {
        return std::find(declared_.begin(), declared_.end(), handle) != declared_.end();
    };
    auto unknown = [](int64_t handle) { return "unknown device handle " + std::to_string(handle); };

    if (const auto* frame = std::get_if<line::Frame>(&action)) {
        if (frame->device && !known(*frame->device)) return unknown(*frame->device);
        std::vector<MTSimContact> contacts;
        contacts.reserve(frame->contacts.size());
        for (const auto& c : frame->contacts) contacts.push_back({c.id, c.state, c.x, c.y});
        if (control_) {
            control_->deliverFrame(frame->device.value_or(MT_SIM_NULL_DEVICE), contacts.data(),
                                   static_cast<int32_t>(contacts.size()), now());
        }
    } else if (const auto* cursor = std::get_if<line::Cursor>(&action)) {
        services_.backend->setPointer(cursor->at);
    } else if (const auto* input = std::get_if<line::Input>(&action)) {
        if (input->type == EventType::tapDisabledByTimeout) {
            services_.events->disableTaps(input->type);
        } else {
            auto event = input->type == EventType::magnify || input->type == EventType::gesture ||
                                 input->type == EventType::scrollWheel
                             ? services_.events->createEvent(nullptr)
                             : services_.events->createMouseEvent(
                                   nullptr, input->type,
                                   services_.backend->pointerLocation().value_or(Point{}),
                                   buttonOf(input->type));
            if (event) {
                event->setType(input->type);
                if (input->marker) {
                    event->setIntegerValue(platform::EventField::eventSourceUserData,
                                           kTavixEventMarker);
                }
                services_.events->injectPhysical(*event);
            }
        }
    } else if (const auto* config = std::get_if<line::Config>(&action)) {
        auto& engine = GestureEngine::shared();
        GestureConfig changed = engine.config();
        applyConfig(*config, changed);
        engine.setConfig(changed);
        SystemGestures::shared().setConfig(changed);
    } else if (const auto* attach = std::get_if<line::Attach>(&action)) {
        if (!known(attach->device)) return unknown(attach->device);
        if (control_) control_->attach(attach->device);
        attached_.insert(attach->device);
    } else if (const auto* detach = std::get_if<line::Detach>(&action)) {
        if (!known(detach->device)) return unknown(detach->device);
        if (control_) control_->detach(detach->device);
        attached_.erase(detach->device);
    } else if (std::holds_alternative<line::Rescan>(action)) {
        rescan();
    } else if (std::holds_alternative<line::Poll>(action)) {
        const bool changed = manager_->mouseIDsChanged();
        log_.mouseIDsChanged(now(), changed);
        if (changed) rescan();
    } else if (const auto* exists = std::get_if<line::Exists>(&action)) {
        services_.workspace->setExistingPaths(exists->paths);
    } else if (const auto* dryRun = std::get_if<line::DryRun>(&action)) {
        Actions::dryRun = dryRun->on;
    } else if (const auto* mouse = std::get_if<line::Mouse>(&action)) {
        setMouse(*mouse);
    }
    return {};
}

// Stored as the settings window stores them, then read back, as the application's mirrors are.
void Replay::setMouse(const line::Mouse& mouse) {
    auto& system = SystemGestures::shared();
    SystemGestureSwitches on = system.switches();
    const struct {
        const std::optional<bool>& value;
        void (*store)(bool);
        bool (*load)();
        bool& mirror;
    } switches[] = {
        {mouse.pageSwipe, &MouseSettings::setPageSwipe, &MouseSettings::pageSwipe, on.pageSwipe},
        {mouse.fullscreenSwipe, &MouseSettings::setFullscreenSwipe, &MouseSettings::fullscreenSwipe,
         on.fullscreenSwipe},
        {mouse.missionControlTap, &MouseSettings::setMissionControlTap,
         &MouseSettings::missionControlTap, on.missionControlTap},
        {mouse.smartZoom, &MouseSettings::setSmartZoom, &MouseSettings::smartZoom, on.smartZoom},
    };
    for (const auto& s : switches) {
        if (!s.value) continue;
        s.store(*s.value);
        s.mirror = s.load();
    }
    system.setSwitches(on);
}

void Replay::rescan() {
    // The framework lists attached devices in declaration order: that names each device found.
    std::vector<int64_t> listed;
    for (int64_t handle : declared_) {
        if (attached_.contains(handle)) listed.push_back(handle);
    }
    const auto devices = manager_->rescan();
    std::vector<EventLog::RescanEntry> entries;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const bool mouse = devices[i].isMagicMouse();
        entries.push_back({i < listed.size() ? listed[i] : 0, mouse, mouse});
    }
    log_.rescan(now(), entries);
}

}  // namespace tavix::replay
