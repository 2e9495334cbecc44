#include "Tavix/AppState.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "Tavix/app/UserDefaults.h"
#include "Tavix/events/InputMonitor.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/gestures/SystemGestures.h"
#include "Tavix/mouse_settings/MouseSettings.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/Clock.h"
#include "platform/LoginItems.h"
#include "platform/MainQueue.h"
#include "platform/Permissions.h"
#include "platform/Relauncher.h"
#include "platform/SystemLog.h"
#include "platform/WakeNotice.h"
#include "platform/Workspace.h"

namespace tavix {
namespace {

bool isOnSurface(const Touch& touch) {
    return touch.state == 4 || touch.state == 5;
}

template <class Enum>
Enum storedCase(const char* key, Enum fallback) {
    if (const auto raw = UserDefaults::stringValue(key)) {
        if (const auto value = Enum::fromRawValue(raw->toStdString())) return *value;
    }
    return fallback;
}

QString rawValue(auto value) {
    const auto raw = value.rawValue();
    return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
}

}  // namespace

AppState*& AppState::instance() {
    static AppState* state = nullptr;
    return state;
}

AppState& AppState::shared() {
    auto*& state = instance();
    if (!state) state = new AppState;
    return *state;
}

AppState::AppState()
    : trackingSpeed_(MouseSettings::trackingSpeed()),
      scrollSpeed_(MouseSettings::scrollSpeed()),
      doubleClick_(MouseSettings::doubleClickInterval()),
      naturalScroll_(MouseSettings::naturalScroll()),
      secondaryClick_(MouseSettings::secondaryClick()),
      smartZoom_(MouseSettings::smartZoom()),
      missionControlTap_(MouseSettings::missionControlTap()),
      fullscreenSwipe_(MouseSettings::fullscreenSwipe()),
      pageSwipe_(MouseSettings::pageSwipe()),
      trusted_(platform::permissions().isTrusted()),
      postAccess_(platform::permissions().canPostEvents()),
      mtAvailable_(MultitouchManager::shared().isLoaded),
      launchAtLogin_(platform::loginItems().status() == platform::LoginItemStatus::enabled),
      launchedTrusted_(platform::permissions().isTrusted()) {}

// Stored settings --------------------------------------------------------------------------------

bool AppState::enabled() const {
    return UserDefaults::boolValue("enabled").value_or(true);
}
bool AppState::oneTapEnabled() const {
    return UserDefaults::boolValue("oneTapEnabled").value_or(true);
}
bool AppState::tapEnabled() const {
    return UserDefaults::boolValue("tapEnabled").value_or(true);
}
double AppState::tapMaxDuration() const {
    return UserDefaults::doubleValue("tapMaxDuration").value_or(0.3);
}
bool AppState::pinch3Enabled() const {
    return UserDefaults::boolValue("pinch3Enabled").value_or(true);
}
double AppState::pinch3Sensitivity() const {
    return UserDefaults::doubleValue("pinch3Sensitivity").value_or(0.5);
}
PinchAction AppState::pinch3Action() const {
    return storedCase("pinch3Action", PinchAction{PinchAction::apps});
}
bool AppState::zoomEnabled() const {
    return UserDefaults::boolValue("zoomEnabled").value_or(true);
}
ZoomMode AppState::zoomMode() const {
    return storedCase("zoomMode", ZoomMode{ZoomMode::native});
}
double AppState::zoomSensitivity() const {
    return UserDefaults::doubleValue("zoomSensitivity").value_or(0.5);
}
double AppState::zoomSpeed() const {
    return UserDefaults::doubleValue("zoomSpeed").value_or(1.6);
}

void AppState::setEnabled(bool on) {
    storeSetting("enabled", on, on != enabled(), &AppState::enabledChanged);
}
void AppState::setOneTapEnabled(bool on) {
    storeSetting("oneTapEnabled", on, on != oneTapEnabled(), &AppState::oneTapEnabledChanged);
}
void AppState::setTapEnabled(bool on) {
    storeSetting("tapEnabled", on, on != tapEnabled(), &AppState::tapEnabledChanged);
}
void AppState::setTapMaxDuration(double seconds) {
    storeSetting("tapMaxDuration", seconds, seconds != tapMaxDuration(),
                 &AppState::tapMaxDurationChanged);
}
void AppState::setPinch3Enabled(bool on) {
    storeSetting("pinch3Enabled", on, on != pinch3Enabled(), &AppState::pinch3EnabledChanged);
}
void AppState::setPinch3Sensitivity(double sensitivity) {
    storeSetting("pinch3Sensitivity", sensitivity, sensitivity != pinch3Sensitivity(),
                 &AppState::pinch3SensitivityChanged);
}
void AppState::setPinch3Action(PinchAction action) {
    storeSetting("pinch3Action", rawValue(action), action != pinch3Action(),
                 &AppState::pinch3ActionChanged);
}
void AppState::setZoomEnabled(bool on) {
    storeSetting("zoomEnabled", on, on != zoomEnabled(), &AppState::zoomEnabledChanged);
}
void AppState::setZoomMode(ZoomMode mode) {
    storeSetting("zoomMode", rawValue(mode), mode != zoomMode(), &AppState::zoomModeChanged);
}
void AppState::setZoomSensitivity(double sensitivity) {
    storeSetting("zoomSensitivity", sensitivity, sensitivity != zoomSensitivity(),
                 &AppState::zoomSensitivityChanged);
}
void AppState::setZoomSpeed(double speed) {
    storeSetting("zoomSpeed", speed, speed != zoomSpeed(), &AppState::zoomSpeedChanged);
}

void AppState::storeSetting(const QString& key, const QVariant& value, bool changed,
                            Signal signal) {
    UserDefaults::set(key, value);
    push();
    if (changed) emit(this->*signal)();
}

// Mirrors -----------------------------------------------------------------------------------------

template <class T>
bool AppState::assign(T& field, T value, Signal signal) {
    if (field == value) return false;
    field = std::move(value);
    emit(this->*signal)();
    return true;
}

void AppState::setTrackingSpeed(double speed) {
    assign(trackingSpeed_, speed, &AppState::trackingSpeedChanged);
}
void AppState::setScrollSpeed(double speed) {
    assign(scrollSpeed_, speed, &AppState::scrollSpeedChanged);
}
void AppState::setDoubleClick(double seconds) {
    assign(doubleClick_, seconds, &AppState::doubleClickChanged);
    push();
}
void AppState::setNaturalScroll(bool on) {
    assign(naturalScroll_, on, &AppState::naturalScrollChanged);
}
void AppState::setSecondaryClick(SecondaryClick mode) {
    assign(secondaryClick_, mode, &AppState::secondaryClickChanged);
}
void AppState::setSmartZoom(bool on) {
    if (assign(smartZoom_, on, &AppState::smartZoomChanged)) pushSwitches();
}
void AppState::setMissionControlTap(bool on) {
    if (assign(missionControlTap_, on, &AppState::missionControlTapChanged)) pushSwitches();
}
void AppState::setFullscreenSwipe(bool on) {
    if (assign(fullscreenSwipe_, on, &AppState::fullscreenSwipeChanged)) pushSwitches();
}
void AppState::setPageSwipe(bool on) {
    if (assign(pageSwipe_, on, &AppState::pageSwipeChanged)) pushSwitches();
}

void AppState::reloadMouseSettings() {
    setTrackingSpeed(MouseSettings::trackingSpeed());
    setScrollSpeed(MouseSettings::scrollSpeed());
    setDoubleClick(MouseSettings::doubleClickInterval());
    setNaturalScroll(MouseSettings::naturalScroll());
    setSecondaryClick(MouseSettings::secondaryClick());
    setSmartZoom(MouseSettings::smartZoom());
    setMissionControlTap(MouseSettings::missionControlTap());
    setFullscreenSwipe(MouseSettings::fullscreenSwipe());
    setPageSwipe(MouseSettings::pageSwipe());
}

// Status ------------------------------------------------------------------------------------------

void AppState::assignFlag(bool& field, bool value, Signal signal) {
    const bool wasOK = permissionsOK();
    if (assign(field, value, signal) && permissionsOK() != wasOK) emit permissionsOKChanged();
}

void AppState::setLive(LiveStatus status) {
    if (status.lastGestureTime == engineGestureTime_ && systemGestureShown_) {
        status.lastGesture = live_.lastGesture;
        status.lastGestureTime = live_.lastGestureTime;
    } else {
        engineGestureTime_ = status.lastGestureTime;
        systemGestureShown_ = false;
    }
    // Every report is announced: two equal gestures in a row are two gestures.
    live_ = std::move(status);
    emit liveChanged();
}

void AppState::showSystemGesture(std::string text) {
    live_.lastGesture = std::move(text);
    live_.lastGestureTime = platform::clock().wallNow();
    systemGestureShown_ = true;
    emit liveChanged();
}

void AppState::setTouchPoints(QList<QPointF> points) {
    assign(touchPoints_, std::move(points), &AppState::touchPointsChanged);
}

// Engine wiring -----------------------------------------------------------------------------------

void AppState::push() {
    const double s = pinch3Sensitivity();
    const double z = zoomSensitivity();
    GestureConfig config;
    config.enabled = enabled();
    config.oneTapEnabled = oneTapEnabled();
    config.doubleClickInterval = doubleClick_;
    config.tapEnabled = tapEnabled();
    config.tapMaxDuration = tapMaxDuration();
    config.pinch3Enabled = pinch3Enabled();
    config.pinch3Ratio = s * 0.16 + 0.76;
    config.pinch3ShrinkMM = 6.5 - s * 5;
    config.pinch3Action = pinch3Action();
    config.zoomEnabled = zoomEnabled();
    config.zoomMode = zoomMode();
    config.zoomStartMM = 7 - z * 5;
    config.zoomGain = zoomSpeed();
    GestureEngine::shared().setConfig(config);
    SystemGestures::shared().setConfig(config);
}

void AppState::pushSwitches() {
    SystemGestures::shared().setSwitches({.pageSwipe = pageSwipe_,
                                          .fullscreenSwipe = fullscreenSwipe_,
                                          .missionControlTap = missionControlTap_,
                                          .smartZoom = smartZoom_});
}

void AppState::installHandlers() {
    // The stamp belongs to the frame handler alone; a new handler starts from 0.
    auto previewStamp = std::make_shared<Locked<double>>(0.0);
    MultitouchManager::shared().onFrame = [previewStamp](const MTDeviceInfo&,
                                                         std::span<const Touch> touches) {
        handleFrame(*previewStamp, touches);
    };
    GestureEngine::shared().onStatus = [](LiveStatus status) {
        platform::mainQueue().async(
            [status = std::move(status)]() mutable { shared().setLive(std::move(status)); });
    };
    SystemGestures::shared().onGesture = [](const SystemGestureReport& report) {
        platform::mainQueue().async([text = std::string(report.text)]() mutable {
            shared().showSystemGesture(std::move(text));
        });
    };
}

void AppState::handleFrame(Locked<double>& previewStamp, std::span<const Touch> touches) {
    GestureEngine::shared().process(touches);
    SystemGestures::shared().process(touches);

    // A frame the engine ignores as a glitch leaves the picture as it was.
    const bool glitch = std::any_of(touches.begin(), touches.end(), [](const Touch& touch) {
        return !std::isfinite(touch.nx) || !std::isfinite(touch.ny);
    });
    if (glitch) return;

    // Gathered without the heap, as most frames are dropped by the stamp below; the manager
    // never delivers more contacts than this.
    std::array<QPointF, MultitouchManager::kMaxContactsPerFrame> storage;
    std::size_t fingers = 0;
    for (const Touch& touch : touches) {
        if (isOnSurface(touch) && fingers < storage.size())
            storage[fingers++] = QPointF(touch.nx, touch.ny);
    }
    const std::span<const QPointF> points(storage.data(), fingers);

    const double now = platform::clock().uptime();
    const bool publish = previewStamp.with([&](double& stamp) {
        if (!points.empty() && now - stamp <= kPreviewInterval) return false;
        stamp = now;
        return true;
    });
    if (!publish) return;
    platform::mainQueue().async([list = QList<QPointF>(points.begin(), points.end())]() mutable {
        shared().setTouchPoints(std::move(list));
    });
}

void AppState::rescan() {
    const auto devices = MultitouchManager::shared().rescan();
    const bool found = std::any_of(devices.begin(), devices.end(), [](const MTDeviceInfo& device) {
        return device.isMagicMouse();
    });
    assign(mouseName_, found ? std::optional<QString>(QStringLiteral("妙控鼠标")) : std::nullopt,
           &AppState::mouseNameChanged);
}

// Start-up and health -----------------------------------------------------------------------------

void AppState::boot() {
    push();
    pushSwitches();
    installHandlers();
    rescan();
    auto& monitor = InputMonitor::shared();
    if (trusted_ && !monitor.isRunning()) monitor.start();
    assignFlag(tapRunning_, monitor.isRunning(), &AppState::tapRunningChanged);
    writeDiagnostics();

    timer_ = new QTimer(this);
    timer_->setInterval(kTickMilliseconds);
    // Each firing becomes a task of its own on the main thread; it dies with this object.
    connect(timer_, &QTimer::timeout, this, &AppState::tick, Qt::QueuedConnection);
    timer_->start();

    platform::wakeNotice().observe([self = QPointer<AppState>(this)] {
        if (!self) return;
        QTimer::singleShot(kWakeRescanMilliseconds, self.data(), [self] {
            if (self) self->rescan();
        });
    });
}

void AppState::tick() {
    auto& permissions = platform::permissions();
    const platform::MouseAccess access = permissions.mouseAccess();
    const bool t = access != platform::MouseAccess::refused;
    assignFlag(trusted_, t, &AppState::trustedChanged);
    // Started unable to read the mouse, and reading one now: a fresh process starts the tap
    // cleanly. A mouse that went away (unplugged, asleep) is no grant.
    if (access == platform::MouseAccess::granted && !launchedTrusted_) {
        relaunch();
        return;
    }
    auto& monitor = InputMonitor::shared();
    if (trusted_ && !monitor.isRunning()) monitor.start();
    const bool a = permissions.canPostEvents();
    if (t && !a) permissions.requestPostEventAccess();
    assignFlag(postAccess_, a, &AppState::postAccessChanged);
    assignFlag(tapRunning_, monitor.isRunning(), &AppState::tapRunningChanged);
    if (MultitouchManager::shared().mouseIDsChanged()) rescan();
    writeDiagnostics();
}

void AppState::relaunch() {
    // A copy that cannot start is not reported: this one ends either way.
    platform::relauncher().relaunch();
    // exit() rather than quit(): no window may veto it.
    QCoreApplication::exit(0);
}

void AppState::requestAccessibility() {
    auto& permissions = platform::permissions();
    permissions.requestGrants([](bool asked) {
        if (!asked) platform::workspace().openURL(platform::permissions().helpPage());
    });
    permissions.requestPostEventAccess();
}

void AppState::setLaunchAtLogin(bool on) {
    auto& items = platform::loginItems();
    if (const auto error = on ? items.registerItem() : items.unregisterItem()) {
        platform::systemLog().write("Tavix login item: " + *error);
    }
    assign(launchAtLogin_, items.status() == platform::LoginItemStatus::enabled,
           &AppState::launchAtLoginChanged);
}

void AppState::writeDiagnostics() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return;
    const QString folder = base + "/Tavix";
    QDir().mkpath(folder);

    const auto seconds = std::chrono::floor<std::chrono::seconds>(platform::clock().wallNow());
    const QString time = QDateTime::fromSecsSinceEpoch(seconds.time_since_epoch().count())
                             .toUTC()
                             .toString(Qt::ISODate);
    // QJsonObject keeps its keys sorted.
    const QJsonObject status{
        {"accessibility", trusted_},
        {"eventTapRunning", tapRunning_},
        {"lastGesture", QString::fromStdString(live_.lastGesture)},
        {"magicMouse", mouseName_.has_value()},
        {"multitouchLoaded", mtAvailable_},
        {"pid", QCoreApplication::applicationPid()},
        {"postEventAccess", postAccess_},
        {"time", time},
    };
    // Written under a temporary name in the same folder and renamed over the old file, so a
    // reader sees either the old file or the new one, never part of one.
    QSaveFile file(folder + "/status.json");
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QJsonDocument(status).toJson(QJsonDocument::Indented));
    file.commit();
}

}  // namespace tavix
