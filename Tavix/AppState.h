#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QVariant>

#include <optional>
#include <span>

#include "Tavix/gestures/GestureConfig.h"
#include "Tavix/gestures/LiveStatus.h"
#include "Tavix/gestures/Locked.h"
#include "Tavix/gestures/SystemGesture.h"
#include "Tavix/mouse_settings/SecondaryClick.h"
#include "Tavix/touch/Touch.h"

class QTimer;

namespace tavix {

// The one object that owns the application's state: the gesture settings (stored in the user
// defaults), mirrors of the system mouse settings, permissions and health, the engine's live
// status and the preview's contact points. It wires frames into the engine and status back to
// the user interface, polls its health every two seconds and writes the diagnostics file.
//
// Everything here is used on the main thread. Each published value has a change signal, emitted
// after the value changed and only when it did; assigning a stored setting always writes it and
// pushes the configuration, and signals only a real change.
class AppState : public QObject {
    Q_OBJECT

  public:
    static constexpr int kTickMilliseconds = 2000;
    static constexpr int kWakeRescanMilliseconds = 1500;
    // Preview points are published at most once per this many seconds while fingers are down.
    static constexpr double kPreviewInterval = 1.0 / 30.0;

    // Created on first access, never destroyed.
    static AppState& shared();

    // Stored settings, read from the user defaults on every access.
    bool enabled() const;
    void setEnabled(bool on);
    bool oneTapEnabled() const;
    void setOneTapEnabled(bool on);
    bool tapEnabled() const;
    void setTapEnabled(bool on);
    double tapMaxDuration() const;
    void setTapMaxDuration(double seconds);
    bool pinch3Enabled() const;
    void setPinch3Enabled(bool on);
    double pinch3Sensitivity() const;
    void setPinch3Sensitivity(double sensitivity);
    PinchAction pinch3Action() const;
    void setPinch3Action(PinchAction action);
    bool zoomEnabled() const;
    void setZoomEnabled(bool on);
    ZoomMode zoomMode() const;
    void setZoomMode(ZoomMode mode);
    double zoomSensitivity() const;
    void setZoomSensitivity(double sensitivity);
    double zoomSpeed() const;
    void setZoomSpeed(double speed);

    // Mirrors of the system mouse settings. Assigning one changes only the mirror; doubleClick
    // also pushes the configuration, as it is the engine's double-click interval.
    double trackingSpeed() const { return trackingSpeed_; }
    void setTrackingSpeed(double speed);
    double scrollSpeed() const { return scrollSpeed_; }
    void setScrollSpeed(double speed);
    double doubleClick() const { return doubleClick_; }
    void setDoubleClick(double seconds);
    bool naturalScroll() const { return naturalScroll_; }
    void setNaturalScroll(bool on);
    SecondaryClick secondaryClick() const { return secondaryClick_; }
    void setSecondaryClick(SecondaryClick mode);
    bool smartZoom() const { return smartZoom_; }
    void setSmartZoom(bool on);
    bool missionControlTap() const { return missionControlTap_; }
    void setMissionControlTap(bool on);
    bool fullscreenSwipe() const { return fullscreenSwipe_; }
    void setFullscreenSwipe(bool on);
    bool pageSwipe() const { return pageSwipe_; }
    void setPageSwipe(bool on);

    // Status, read-only from outside.
    bool trusted() const { return trusted_; }
    bool postAccess() const { return postAccess_; }
    bool tapRunning() const { return tapRunning_; }
    const std::optional<QString>& mouseName() const { return mouseName_; }
    bool mtAvailable() const { return mtAvailable_; }
    const LiveStatus& live() const { return live_; }
    const QList<QPointF>& touchPoints() const { return touchPoints_; }
    bool launchAtLogin() const { return launchAtLogin_; }
    // trusted, postAccess and tapRunning all true.
    bool permissionsOK() const { return trusted_ && postAccess_ && tapRunning_; }
    // The health timer, once boot() has made it.
    QTimer* timer() const { return timer_; }
    bool launchedTrusted() const { return launchedTrusted_; }

    // Re-enumerates the multitouch devices (starting every Magic Mouse) and names the mouse.
    void rescan();
    // Re-reads the nine mirrors from the system, in order.
    void reloadMouseSettings();

    // Start-up: configuration, handlers, devices, event tap, diagnostics, health timer, wake
    // observer. Once per process, when launching has finished.
    void boot();
    // Starts a fresh copy of the application and asks this one to quit.
    void relaunch();
    // Asks the user for both grants; the next tick picks up what was granted.
    void requestAccessibility();
    // Registers or unregisters the login item; launchAtLogin then shows the real state.
    void setLaunchAtLogin(bool on);

  signals:
    void enabledChanged();
    void oneTapEnabledChanged();
    void tapEnabledChanged();
    void tapMaxDurationChanged();
    void pinch3EnabledChanged();
    void pinch3SensitivityChanged();
    void pinch3ActionChanged();
    void zoomEnabledChanged();
    void zoomModeChanged();
    void zoomSensitivityChanged();
    void zoomSpeedChanged();

    void trackingSpeedChanged();
    void scrollSpeedChanged();
    void doubleClickChanged();
    void naturalScrollChanged();
    void secondaryClickChanged();
    void smartZoomChanged();
    void missionControlTapChanged();
    void fullscreenSwipeChanged();
    void pageSwipeChanged();

    void trustedChanged();
    void postAccessChanged();
    void tapRunningChanged();
    void permissionsOKChanged();
    void mouseNameChanged();
    void liveChanged();
    void touchPointsChanged();
    void launchAtLoginChanged();

  private:
    friend struct AppStateTestAccess;
    using Signal = void (AppState::*)();

    AppState();
    static AppState*& instance();

    // Builds the configuration from the settings and hands it to the engine in one piece.
    void push();
    // Hands the four system-gesture mirrors to their recogniser.
    void pushSwitches();
    void installHandlers();
    void tick();
    void writeDiagnostics();

    // The frame handler's work, on the framework's thread.
    static void handleFrame(Locked<double>& previewStamp, std::span<const Touch> touches);

    void storeSetting(const QString& key, const QVariant& value, bool changed, Signal signal);
    template <class T>
    bool assign(T& field, T value, Signal signal);
    // The three flags that make permissionsOK.
    void assignFlag(bool& field, bool value, Signal signal);
    void setLive(LiveStatus status);
    void showSystemGesture(std::string text);
    void setTouchPoints(QList<QPointF> points);

    // In order of creation.
    double trackingSpeed_;
    double scrollSpeed_;
    double doubleClick_;
    bool naturalScroll_;
    SecondaryClick secondaryClick_;
    bool smartZoom_;
    bool missionControlTap_;
    bool fullscreenSwipe_;
    bool pageSwipe_;
    bool trusted_;
    bool postAccess_;
    bool tapRunning_ = false;
    std::optional<QString> mouseName_;
    const bool mtAvailable_;
    LiveStatus live_;
    // The engine repeats its last gesture with every finger count; a system gesture recognised
    // since that one stays on show.
    platform::WallTime engineGestureTime_ = LiveStatus::kDistantPast;
    bool systemGestureShown_ = false;
    QList<QPointF> touchPoints_;
    bool launchAtLogin_;
    QTimer* timer_ = nullptr;
    const bool launchedTrusted_;
};

}  // namespace tavix
