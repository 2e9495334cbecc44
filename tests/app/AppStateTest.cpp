#include <sys/stat.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <limits>
#include <regex>

#include "Tavix/mouse_settings/MouseSettings.h"
#include "tests/app/AppFixture.h"

namespace tavix::testing {
namespace {

GestureConfig engineConfig() {
    return GestureEngine::shared().config();
}

void storeDefault(const char* key, const QVariant& value) {
    QSettings settings("Tavix", "Tavix");
    settings.setValue(key, value);
    settings.sync();
}

using AppStateSettings = AppFixture;

TEST_F(AppStateSettings, EmptyDefaultsRunTheEngineWithTheDefaultSettings) {
    GestureEngine::shared().setConfig({.zoomGain = 99});
    auto& s = state();
    // Creation reads and queries only: nothing pushed, installed or started before boot().
    EXPECT_DOUBLE_EQ(engineConfig().zoomGain, 99);
    EXPECT_FALSE(MultitouchManager::shared().onFrame);
    EXPECT_FALSE(GestureEngine::shared().onStatus);
    EXPECT_EQ(s.timer(), nullptr);
    s.boot();
    const GestureConfig c = engineConfig();
    EXPECT_TRUE(c.enabled && c.oneTapEnabled && c.tapEnabled && c.pinch3Enabled && c.zoomEnabled);
    EXPECT_DOUBLE_EQ(c.tapMaxDuration, 0.3);
    EXPECT_EQ(c.pinch3Action, PinchAction::apps);
    EXPECT_EQ(c.zoomMode, ZoomMode::native);
    EXPECT_DOUBLE_EQ(c.pinch3Ratio, 0.84);
    EXPECT_DOUBLE_EQ(c.pinch3ShrinkMM, 4.0);
    EXPECT_DOUBLE_EQ(c.zoomStartMM, 4.5);
    EXPECT_DOUBLE_EQ(c.zoomGain, 1.6);
    // The three fields the settings do not feed keep the engine's defaults.
    EXPECT_DOUBLE_EQ(c.oneTapMaxDuration, GestureConfig{}.oneTapMaxDuration);
    EXPECT_DOUBLE_EQ(c.oneTapMaxMoveMM, GestureConfig{}.oneTapMaxMoveMM);
    EXPECT_DOUBLE_EQ(c.tapMaxMoveMM, GestureConfig{}.tapMaxMoveMM);
    // Reading never writes a default back.
    EXPECT_TRUE(QSettings("Tavix", "Tavix").allKeys().isEmpty());
}

TEST_F(AppStateSettings, SensitivitiesMapLinearlyWithoutClamping) {
    auto& s = state();
    s.setPinch3Sensitivity(0);
    s.setZoomSensitivity(0);
    EXPECT_DOUBLE_EQ(engineConfig().pinch3Ratio, 0.76);
    EXPECT_DOUBLE_EQ(engineConfig().pinch3ShrinkMM, 6.5);
    EXPECT_DOUBLE_EQ(engineConfig().zoomStartMM, 7.0);
    s.setPinch3Sensitivity(1);
    s.setZoomSensitivity(1);
    EXPECT_DOUBLE_EQ(engineConfig().pinch3Ratio, 0.92);
    EXPECT_DOUBLE_EQ(engineConfig().pinch3ShrinkMM, 1.5);
    EXPECT_DOUBLE_EQ(engineConfig().zoomStartMM, 2.0);
    s.setZoomSensitivity(2);
    EXPECT_DOUBLE_EQ(engineConfig().zoomStartMM, -3.0);
}

TEST_F(AppStateSettings, StoredValuesAreReadByTypeAndWrittenAtOnce) {
    storeDefault("pinch3Action", "missionControl");
    storeDefault("zoomMode", "keyboard");
    storeDefault("tapMaxDuration", 0.25);
    auto& s = state();
    EXPECT_EQ(s.pinch3Action(), PinchAction::missionControl);
    EXPECT_EQ(s.zoomMode(), ZoomMode::keyboard);
    EXPECT_DOUBLE_EQ(s.tapMaxDuration(), 0.25);

    // Unknown cases, wrong types and numbers that are not finite read as the defaults.
    storeDefault("pinch3Action", "MissionControl");
    storeDefault("zoomMode", 3);
    storeDefault("enabled", "yes");
    storeDefault("oneTapEnabled", 0);
    storeDefault("tapMaxDuration", "abc");
    storeDefault("zoomSpeed", "nan");
    EXPECT_EQ(s.pinch3Action(), PinchAction::apps);
    EXPECT_EQ(s.zoomMode(), ZoomMode::native);
    EXPECT_TRUE(s.enabled());
    EXPECT_TRUE(s.oneTapEnabled());
    EXPECT_DOUBLE_EQ(s.tapMaxDuration(), 0.3);
    EXPECT_DOUBLE_EQ(s.zoomSpeed(), 1.6);

    int changes = 0;
    QObject::connect(&s, &AppState::enabledChanged, [&] { ++changes; });
    s.setEnabled(false);
    s.setEnabled(false);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(engineConfig().enabled);
    s.setPinch3Action(PinchAction::showDesktop);
    // Another reader sees the file as written: enumerations by raw value.
    const auto file = readFile(config / "Tavix" / "Tavix.conf");
    EXPECT_NE(file.find("enabled=false"), std::string::npos) << file;
    EXPECT_NE(file.find("pinch3Action=showDesktop"), std::string::npos) << file;
    EXPECT_EQ(engineConfig().pinch3Action, PinchAction::showDesktop);
}

TEST_F(AppStateSettings, OnlyDoubleClickAmongTheMirrorsPushes) {
    auto& s = state();
    GestureEngine::shared().setConfig({.zoomGain = 99});
    s.setTrackingSpeed(2.5);
    s.setSmartZoom(!s.smartZoom());
    EXPECT_DOUBLE_EQ(engineConfig().zoomGain, 99);
    s.setDoubleClick(0.6);
    EXPECT_DOUBLE_EQ(engineConfig().doubleClickInterval, 0.6);
    EXPECT_DOUBLE_EQ(engineConfig().zoomGain, 1.6);

    // A reload takes the system's values and pushes once more.
    GestureEngine::shared().setConfig({.zoomGain = 99});
    s.reloadMouseSettings();
    EXPECT_DOUBLE_EQ(s.doubleClick(), MouseSettings::doubleClickInterval());
    EXPECT_DOUBLE_EQ(s.trackingSpeed(), MouseSettings::trackingSpeed());
    EXPECT_DOUBLE_EQ(engineConfig().zoomGain, 1.6);
}

using AppStateFrames = AppFixture;

QJsonObject readStatus(const std::filesystem::path& path);

TEST_F(AppStateFrames, PreviewIsThrottledButTheEngineSeesEveryFrameAndLiftsGoThrough) {
    attachMouse();
    auto& s = state();
    s.boot();
    ASSERT_EQ(s.mouseName(), QString("妙控鼠标"));

    ASSERT_EQ(frame(10.000, {simContact(1, 0.25f, 0.5f, 4)}), 1);
    platform.queue->drain();
    EXPECT_EQ(s.touchPoints(), QList<QPointF>({{0.25, 0.5}}));
    EXPECT_EQ(s.live().fingers, 1);

    // 20 ms later: processed (two fingers now), not published.
    frame(10.020, {simContact(1, 0.3f, 0.5f, 5), simContact(2, 0.6f, 0.5f, 4)});
    platform.queue->drain();
    EXPECT_EQ(s.touchPoints().size(), 1);
    EXPECT_EQ(s.live().fingers, 2);

    // 5 ms later the fingers are leaving (state 7): an empty list, published at once.
    frame(10.025, {simContact(1, 0.3f, 0.5f, 7), simContact(2, 0.6f, 0.5f, 7)});
    platform.queue->drain();
    EXPECT_TRUE(s.touchPoints().isEmpty());

    // The empty list set the stamp; the dropped frame is never published later.
    frame(10.040, {simContact(3, 0.5f, 0.5f, 4)});
    platform.queue->drain();
    EXPECT_TRUE(s.touchPoints().isEmpty());
    frame(10.080, {simContact(3, 0.5f, 0.25f, 5)});
    platform.queue->drain();
    EXPECT_EQ(s.touchPoints(), QList<QPointF>({{0.5, 0.25}}));

    // A glitch frame leaves the picture as it was, even after the interval.
    frame(10.200, {simContact(3, std::numeric_limits<float>::quiet_NaN(), 0.25f, 5)});
    platform.queue->drain();
    EXPECT_EQ(s.touchPoints(), QList<QPointF>({{0.5, 0.25}}));
}

// The switches reach the recogniser as soon as a mirror changes; its report is the last gesture,
// in the window and in status.json, until the engine recognises one of its own.
TEST_F(AppStateFrames, SystemGesturesFollowTheMirrorsAndShowAsTheLastGesture) {
    attachMouse();
    auto& s = state();
    s.boot();
    auto& system = SystemGestures::shared();
    EXPECT_EQ(system.switches(), (SystemGestureSwitches{true, true, true, true}));
    s.setFullscreenSwipe(false);
    EXPECT_FALSE(system.switches().fullscreenSwipe);
    s.setPageSwipe(false);
    s.setPageSwipe(true);
    EXPECT_TRUE(system.switches().pageSwipe);

    for (int i = 0; i <= 4; ++i) {
        frame(200 + i * 0.02, {simContact(1, 0.3f + 0.1f * static_cast<float>(i), 0.5f, i ? 5 : 4)});
    }
    frame(200.2, {});
    platform.queue->drain();
    EXPECT_EQ(s.live().lastGesture, "单指轻扫 → 后退");
    EXPECT_EQ(s.live().fingers, 0);
    AppStateTestAccess::tick(s);
    EXPECT_EQ(readStatus(statusFile())["lastGesture"].toString(), "单指轻扫 → 后退");

    frame(210, {simContact(2, 0.5f, 0.5f, 4)});
    frame(210.1, {});
    platform.queue->drain();
    EXPECT_EQ(s.live().lastGesture, "单指轻点 → 点按");
}

TEST_F(AppStateFrames, RescanNamesTheMouseOnlyWhenOneIsListed) {
    declare(control, simDevice(5, 0, 50, 16000, 11000, /*builtIn=*/true));
    auto& s = state();
    int changes = 0;
    QObject::connect(&s, &AppState::mouseNameChanged, [&] { ++changes; });
    s.rescan();
    EXPECT_FALSE(s.mouseName());
    attachMouse();
    s.rescan();
    s.rescan();
    EXPECT_EQ(s.mouseName(), QString("妙控鼠标"));
    EXPECT_EQ(changes, 1);
    control.detach(kMouse);
    s.rescan();
    EXPECT_FALSE(s.mouseName());
}

using AppStateHealth = AppFixture;

QJsonObject readStatus(const std::filesystem::path& path) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(readFile(path))).object();
}

TEST_F(AppStateHealth, BootScansStartsTheTapWritesTheFileAndStartsTheTimer) {
    attachMouse();
    platform.permissions->setTrusted(true);
    platform.permissions->setCanPostEvents(true);
    auto& s = state();
    EXPECT_TRUE(s.mtAvailable());
    EXPECT_FALSE(s.tapRunning());
    EXPECT_EQ(s.timer(), nullptr);
    s.boot();
    EXPECT_TRUE(s.tapRunning());
    EXPECT_TRUE(s.permissionsOK());
    ASSERT_NE(s.timer(), nullptr);
    EXPECT_TRUE(s.timer()->isActive());
    EXPECT_FALSE(s.timer()->isSingleShot());
    EXPECT_EQ(s.timer()->interval(), 2000);
    // The file written at boot already knows the mouse and the tap.
    const auto status = readStatus(statusFile());
    EXPECT_TRUE(status["magicMouse"].toBool());
    EXPECT_TRUE(status["eventTapRunning"].toBool());
    EXPECT_TRUE(status["multitouchLoaded"].toBool());
}

TEST_F(AppStateHealth, UntrustedStartPollsThenRelaunchesOnceTrustArrives) {
    auto& s = state();
    s.boot();
    EXPECT_FALSE(s.trusted());
    EXPECT_FALSE(s.tapRunning());
    AppStateTestAccess::tick(s);
    EXPECT_EQ(platform.relauncher->count(), 0);
    EXPECT_EQ(platform.permissions->postRequests(), 0);
    EXPECT_FALSE(InputMonitor::shared().isRunning());
    auto status = readStatus(statusFile());
    EXPECT_FALSE(status["accessibility"].toBool());
    EXPECT_FALSE(status["eventTapRunning"].toBool());

    int trustChanges = 0;
    QObject::connect(&s, &AppState::trustedChanged, [&] { ++trustChanges; });
    platform.permissions->setTrusted(true);
    std::filesystem::remove(statusFile());
    AppStateTestAccess::tick(s);
    EXPECT_TRUE(s.trusted());
    EXPECT_EQ(trustChanges, 1);
    EXPECT_EQ(platform.relauncher->count(), 1);
    // The relaunching tick does nothing else.
    EXPECT_FALSE(InputMonitor::shared().isRunning());
    EXPECT_FALSE(std::filesystem::exists(statusFile()));
}

TEST_F(AppStateHealth, OnlyAMouseReadableAfterAnUnreadableStartRelaunches) {
    auto& s = state();
    s.boot();
    ASSERT_FALSE(s.launchedTrusted());
    // The unreadable mouse disconnects or sleeps: nothing is refused, nothing was granted.
    platform.permissions->setMouseAccess(platform::MouseAccess::noMouse);
    AppStateTestAccess::tick(s);
    EXPECT_TRUE(s.trusted());
    platform.permissions->setMouseAccess(platform::MouseAccess::refused);
    AppStateTestAccess::tick(s);
    EXPECT_FALSE(s.trusted());
    EXPECT_EQ(platform.relauncher->count(), 0);
    platform.permissions->setMouseAccess(platform::MouseAccess::granted);
    AppStateTestAccess::tick(s);
    EXPECT_EQ(platform.relauncher->count(), 1);

    // Started with no mouse: a readable one arriving later needs no fresh start.
    platform.permissions->setMouseAccess(platform::MouseAccess::noMouse);
    auto& started = state();
    started.boot();
    EXPECT_TRUE(started.launchedTrusted());
    platform.permissions->setMouseAccess(platform::MouseAccess::granted);
    AppStateTestAccess::tick(started);
    EXPECT_EQ(platform.relauncher->count(), 1);
}

TEST_F(AppStateHealth, TrustedStartRestartsTheTapAndKeepsAskingToPost) {
    platform.permissions->setTrusted(true);
    platform.backend->setCanCreateTap(false);
    auto& s = state();
    s.boot();
    EXPECT_FALSE(s.tapRunning());
    EXPECT_FALSE(s.permissionsOK());
    // The diagnostics tell trust and the tap apart.
    EXPECT_TRUE(readStatus(statusFile())["accessibility"].toBool());
    EXPECT_FALSE(readStatus(statusFile())["eventTapRunning"].toBool());

    platform.backend->setCanCreateTap(true);
    AppStateTestAccess::tick(s);
    EXPECT_TRUE(s.tapRunning());
    EXPECT_TRUE(readStatus(statusFile())["eventTapRunning"].toBool());
    AppStateTestAccess::tick(s);
    EXPECT_EQ(platform.permissions->postRequests(), 2);
    EXPECT_FALSE(s.permissionsOK());

    int okChanges = 0;
    QObject::connect(&s, &AppState::permissionsOKChanged, [&] { ++okChanges; });
    platform.permissions->setCanPostEvents(true);
    AppStateTestAccess::tick(s);
    EXPECT_TRUE(s.permissionsOK());
    EXPECT_EQ(platform.permissions->postRequests(), 2);

    // Trust revoked later: no relaunch, no new request; the tap flag follows the monitor.
    platform.permissions->setTrusted(false);
    platform.permissions->setCanPostEvents(false);
    AppStateTestAccess::tick(s);
    EXPECT_FALSE(s.trusted());
    EXPECT_FALSE(s.permissionsOK());
    EXPECT_EQ(okChanges, 2);
    EXPECT_EQ(platform.relauncher->count(), 0);
    EXPECT_EQ(platform.permissions->postRequests(), 2);
    EXPECT_EQ(s.tapRunning(), InputMonitor::shared().isRunning());
}

TEST_F(AppStateHealth, APluggedMouseIsStartedAtTheNextTickAndAfterAWake) {
    auto& s = state();
    s.boot();
    EXPECT_FALSE(readStatus(statusFile())["magicMouse"].toBool());
    attachMouse();
    AppStateTestAccess::tick(s);
    EXPECT_EQ(s.mouseName(), QString("妙控鼠标"));
    EXPECT_TRUE(readStatus(statusFile())["magicMouse"].toBool());
    EXPECT_EQ(frame(101, {simContact(1, 0.5f, 0.5f)}), 1);

    // A second mouse, noticed only by the wake rescan 1.5 s after the wake: the health timer
    // would notice it as well, so it is stopped.
    s.timer()->stop();
    declare(control, simDevice(2, MTDeviceInfo::kMagicMouse2Family, 8));
    platform.wake->wake();
    platform.queue->drain();
    runEvents(1000);
    EXPECT_EQ(frame(102, {}, 2), 0);
    runEvents(1000);
    EXPECT_EQ(frame(103, {}, 2), 1);
}

TEST_F(AppStateHealth, DiagnosticsHoldExactlyTheEightMembersAndReplaceTheFileWhole) {
    auto& s = state();
    s.boot();
    const auto text = readFile(statusFile());
    const QJsonObject status = readStatus(statusFile());
    EXPECT_EQ(status.keys(), QStringList({"accessibility", "eventTapRunning", "lastGesture",
                                          "magicMouse", "multitouchLoaded", "pid",
                                          "postEventAccess", "time"}));
    // Sorted in the text itself, one member per line.
    std::size_t previous = 0;
    for (const QString& key : status.keys()) {
        const auto at = text.find("\"" + key.toStdString() + "\"");
        ASSERT_NE(at, std::string::npos);
        EXPECT_GT(at, previous);
        previous = at;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
    EXPECT_TRUE(status["lastGesture"].isString());
    EXPECT_EQ(status["lastGesture"].toString(), "—");
    EXPECT_TRUE(std::regex_search(text, std::regex("\"pid\": [0-9]+,\n")));
    EXPECT_EQ(status["pid"].toInteger(), QCoreApplication::applicationPid());
    // 2025-01-01T00:00:00Z plus the virtual uptime of 100.4 s, cut to whole seconds.
    platform.clock->set(100.4);
    AppStateTestAccess::tick(s);
    EXPECT_EQ(readStatus(statusFile())["time"].toString(), "2025-01-01T00:01:40Z");

    // Each write is a new file renamed into place, never a rewrite of the old one.
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(stat(statusFile().c_str(), &before), 0);
    AppStateTestAccess::tick(s);
    ASSERT_EQ(stat(statusFile().c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(statusFile().parent_path()),
                            std::filesystem::directory_iterator()),
              1);

    // A folder that cannot be made is no failure of the tick.
    std::filesystem::remove_all(data);
    writeFile(data, "not a folder");
    AppStateTestAccess::tick(s);
}

TEST_F(AppStateHealth, LoginItemShowsTheRealStateAndLogsAFailure) {
    auto& s = state();
    EXPECT_FALSE(s.launchAtLogin());
    s.setLaunchAtLogin(true);
    EXPECT_TRUE(s.launchAtLogin());
    platform.loginItems->setFailure("Operation not permitted");
    s.setLaunchAtLogin(false);
    EXPECT_TRUE(s.launchAtLogin());
    platform.loginItems->setFailure(std::nullopt);
    s.setLaunchAtLogin(false);
    EXPECT_FALSE(s.launchAtLogin());
    platform.loginItems->setFailure("denied");
    s.setLaunchAtLogin(true);
    EXPECT_FALSE(s.launchAtLogin());
    EXPECT_EQ(platform.log->lines(),
              std::vector<std::string>({"Tavix login item: Operation not permitted",
                                        "Tavix login item: denied"}));
}

TEST_F(AppStateHealth, AskingForTheGrantsShowsTheHelpPageOnlyWhenTheSystemCannotAsk) {
    auto& s = state();
    s.requestAccessibility();
    EXPECT_TRUE(platform.workspace->urls().empty());
    platform.permissions->setCanAsk(false);
    s.requestAccessibility();
    EXPECT_EQ(platform.workspace->urls(),
              std::vector<std::string>({platform.permissions->helpPage()}));
    EXPECT_EQ(platform.permissions->grantRequests(), 2);
    EXPECT_EQ(platform.permissions->postRequests(), 2);
}

}  // namespace
}  // namespace tavix::testing
