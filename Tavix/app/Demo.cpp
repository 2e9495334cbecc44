#include "Tavix/app/Demo.h"

#include <QDir>
#include <QSettings>
#include <QTimer>

#include <fstream>
#include <iostream>

#include "Tavix/app/LinuxPlatform.h"
#include "Tavix/app/NotificationCenter.h"
#include "Tavix/events/Actions.h"
#include "Tavix/events/EventMarker.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/SystemLog.h"
#include "platform/events/EventSystem.h"
#include "platform/linux/LogindWakeNotice.h"
#include "platform/linux/ProcessRelauncher.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/preferences/linux/PlistPreferenceStore.h"
#include "platform/preferences/sim/RecordingHIDEventSystem.h"
#include "platform/preferences/sim/RecordingNotificationCenter.h"
#include "platform/sim/RecordingWorkspace.h"
#include "platform/sim/SimulatedPermissions.h"

namespace tavix {

using namespace platform;
namespace line = replay::line;

// Events end here. With `verbose` each is written to standard output as a line of the replay
// tool's event log; nothing is kept, however long the demo runs.
class Demo::LogBackend final : public EventBackend {
  public:
    explicit LogBackend(bool verbose) : verbose_(verbose), log_(std::cout) {}

    // Log times count from here; set before anything is logged.
    void setOrigin(std::chrono::steady_clock::time_point origin) { origin_ = origin; }

    void setPointer(Point at) {
        std::lock_guard guard(mutex_);
        pointer_ = at;
    }
    std::optional<Point> pointerLocation() override {
        std::lock_guard guard(mutex_);
        return pointer_;
    }
    void posted(EventTapLocation location, const Event& event) override {
        if (!verbose_) return;
        std::lock_guard guard(mutex_);
        log_.posted(now(), location, event);
        std::cout.flush();
    }
    void leftTaps(const Event& event, EventOrigin origin, bool delivered) override {
        if (!verbose_ || origin != EventOrigin::physical) return;
        std::lock_guard guard(mutex_);
        log_.input(now(), replay::inputName(event.type()), delivered);
        std::cout.flush();
    }
    // A notification inside the process, such as the request for the settings window.
    void notified(const QString& name) {
        if (!verbose_) return;
        std::lock_guard guard(mutex_);
        log_.notification(now(), name.toStdString());
        std::cout.flush();
    }
    void opened(const std::string& path, const std::vector<std::string>& arguments) {
        if (!verbose_) return;
        std::lock_guard guard(mutex_);
        log_.opened(now(), path, arguments);
        std::cout.flush();
    }

  private:
    double now() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
    }

    const bool verbose_;
    std::chrono::steady_clock::time_point origin_;
    std::mutex mutex_;
    replay::EventLog log_;
    Point pointer_;
};

namespace {

// The demo's messages go to standard error; the system log is left alone.
class StandardErrorLog final : public SystemLog {
  public:
    void write(const std::string& line) override { std::cerr << "tavix (demo): " << line << '\n'; }
};

MouseButton buttonOf(EventType type) {
    if (type == EventType::rightMouseDown) return MouseButton::right;
    if (type == EventType::otherMouseDown) return MouseButton::center;
    return MouseButton::left;
}

}  // namespace

QString Demo::freshFolder(const QString& runtimeFolder) {
    for (const QString& stale :
         QDir(runtimeFolder).entryList({QString(kFolderPrefix) + "*"}, QDir::Dirs | QDir::Hidden)) {
        QDir(runtimeFolder + "/" + stale).removeRecursively();
    }
    return runtimeFolder + "/" + kFolderPrefix + "XXXXXX";
}

Demo::Demo(bool verbose, const QString& runtimeFolder)
    : verbose_(verbose), folder_(freshFolder(runtimeFolder)) {
    if (!folder_.isValid()) return;
    const QString config = folder_.filePath("config");
    const QString data = folder_.filePath("data");
    QDir().mkpath(config);
    QDir().mkpath(data);
    // Everything that finds its folder through the XDG variables lands in the temporary one.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
}

Demo::~Demo() {
    if (control_) control_->playStop();
}

bool Demo::install(const std::filesystem::path& script, std::vector<std::string> arguments,
                   std::string& errors) {
    control_ = mt::SimControl::open(MultitouchManager::frameworkPath());
    if (!control_) {
        errors = "the multitouch framework at " + MultitouchManager::frameworkPath().string() +
                 " cannot play a script";
        return false;
    }
    control_->reset();
    if (!load(script, errors)) return false;

    backend_ = std::make_shared<LogBackend>(verbose_);
    workspace_ = std::make_shared<RecordingWorkspace>();
    workspace_->setListener(
        [backend = backend_](const RecordingWorkspace::Open& open) {
            backend->opened(open.path, open.configuration.arguments);
        });

    installClock(std::make_shared<SystemClock>());
    installMainQueue(std::make_shared<QtMainQueue>());
    installWorkspace(workspace_);
    installEventSystem(std::make_shared<EventSystem>(backend_));
    installPreferenceStore(std::make_shared<PlistPreferenceStore>(
        std::filesystem::path(folder_.filePath("preferences").toStdString())));
    installHIDEventSystem(std::make_shared<RecordingHIDEventSystem>());
    installDistributedNotificationCenter(std::make_shared<RecordingNotificationCenter>());
    installPermissions(std::make_shared<SimulatedPermissions>(true));
    installLoginItems(std::make_shared<XdgAutostart>(executablePath()));
    installWakeNotice(std::make_shared<LogindWakeNotice>());
    installSystemLog(std::make_shared<StandardErrorLog>());
    installRelauncher(std::make_shared<ProcessRelauncher>(executablePath(), std::move(arguments)));
    return true;
}

bool Demo::load(const std::filesystem::path& script, std::string& errors) {
    std::ifstream in(script);
    if (!in) {
        errors = "cannot open the demo script " + script.string();
        return false;
    }
    std::vector<std::pair<double, line::Frame>> frames;
    std::string text;
    for (std::size_t number = 1; std::getline(in, text); ++number) {
        auto [parsed, problem] = replay::parseLine(text);
        if (!problem.empty()) {
            errors = script.string() + ":" + std::to_string(number) + ": " + problem;
            return false;
        }
        if (const auto* device = std::get_if<line::Device>(&parsed)) {
            const MTSimDevice sim{.handle = device->handle,
                                  .family = device->family,
                                  .deviceID = device->deviceID,
                                  .width = device->width,
                                  .height = device->height,
                                  .builtIn = device->builtIn,
                                  .attached = device->attached};
            if (control_->declareDevice(&sim) != 0) {
                errors = script.string() + ":" + std::to_string(number) + ": bad device";
                return false;
            }
            devices_.push_back(*device);
        } else if (auto* timed = std::get_if<line::Timed>(&parsed)) {
            period_ = std::max(period_, timed->t + 1);
            if (auto* frame = std::get_if<line::Frame>(&timed->action)) {
                frames.emplace_back(timed->t, std::move(*frame));
            } else if (!std::holds_alternative<line::Rescan>(timed->action) &&
                       !std::holds_alternative<line::Poll>(timed->action)) {
                // Rescans and polls are the application's own business here.
                actions_.push_back({timed->t, std::move(timed->action)});
            }
        }
    }
    for (const auto& [t, frame] : frames) {
        auto& contacts = contacts_.emplace_back();
        for (const auto& c : frame.contacts) contacts.push_back({c.id, c.state, c.x, c.y});
        frames_.push_back({.t = t,
                           .device = frame.device.value_or(MT_SIM_NULL_DEVICE),
                           .contacts = contacts.data(),
                           .count = static_cast<int32_t>(contacts.size())});
    }
    return true;
}

void Demo::start() {
    NotificationCenter::defaultCenter().addObserver(
        NotificationName::openSettings, this,
        [backend = backend_] { backend->notified(NotificationName::openSettings); });
    origin_ = std::chrono::steady_clock::now();
    backend_->setOrigin(origin_);
    control_->playStart(frames_.data(), static_cast<int32_t>(frames_.size()), period_);
    scheduleNext();
}

double Demo::elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
}

void Demo::scheduleNext() {
    const double due = static_cast<double>(round_) * period_ + actions_[nextAction_].t;
    const auto wait = static_cast<int>(std::max(0.0, due - elapsed()) * 1000);
    QTimer::singleShot(wait, Qt::PreciseTimer, this, [this] {
        if (const auto& action = actions_[nextAction_].action) {
            apply(*action);
        } else {
            resetDevices();
        }
        if (++nextAction_ == actions_.size()) {
            nextAction_ = 0;
            ++round_;
        }
        scheduleNext();
    });
}

void Demo::resetDevices() {
    for (const auto& device : devices_) {
        device.attached ? control_->attach(device.handle) : control_->detach(device.handle);
    }
}

void Demo::apply(const line::Action& action) {
    auto& events = eventSystem();
    if (const auto* cursor = std::get_if<line::Cursor>(&action)) {
        backend_->setPointer(cursor->at);
    } else if (const auto* input = std::get_if<line::Input>(&action)) {
        if (input->type == EventType::tapDisabledByTimeout) {
            events.disableTaps(input->type);
            return;
        }
        const bool positionless = input->type == EventType::magnify ||
                                  input->type == EventType::gesture ||
                                  input->type == EventType::scrollWheel;
        auto event = positionless ? events.createEvent(nullptr)
                                  : events.createMouseEvent(
                                        nullptr, input->type,
                                        backend_->pointerLocation().value_or(Point{}),
                                        buttonOf(input->type));
        if (!event) return;
        event->setType(input->type);
        if (input->marker) event->setIntegerValue(EventField::eventSourceUserData, kTavixEventMarker);
        events.injectPhysical(*event);
    } else if (std::holds_alternative<line::Config>(action) ||
               std::holds_alternative<line::Mouse>(action)) {
        // The settings window owns the configuration and the mouse settings in the demo, so what
        // it shows is what runs.
    } else if (const auto* attach = std::get_if<line::Attach>(&action)) {
        control_->attach(attach->device);
    } else if (const auto* detach = std::get_if<line::Detach>(&action)) {
        control_->detach(detach->device);
    } else if (const auto* exists = std::get_if<line::Exists>(&action)) {
        workspace_->setExistingPaths(exists->paths);
    } else if (const auto* dryRun = std::get_if<line::DryRun>(&action)) {
        Actions::dryRun = dryRun->on;
    }
}

}  // namespace tavix
