// The settings window as a screen reader uses it: over real AT-SPI (its bus launcher and
// registry on a private session bus), with the window on a private X server, driven by pyatspi.
// Skipped where any of those is missing.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Tavix/ui/SettingsView.h"
#include "tests/PrivateBus.h"
#include "tests/desktop/XTestServer.h"
#include "tests/ui/ScenesFixture.h"

extern char** environ;

namespace tavix::ui {

constexpr const char* kLauncher = "/usr/libexec/at-spi-bus-launcher";
// The system's Python: pyatspi is a Debian package.
constexpr const char* kPython = "/usr/bin/python3";

namespace {

std::string& skipReason() {
    static std::string reason;
    return reason;
}

// What the script reports, 0 when the action was performed. The event loop runs meanwhile:
// the script's questions are answered by this process.
int screenReader(const QString& name, const QString& role, const QString& action) {
    QProcess reader;
    reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    reader.start(QString::fromLatin1(kPython),
                 {QStringLiteral(TAVIX_SCREEN_READER),
                  QString::number(QCoreApplication::applicationPid()), name, role, action});
    if (!reader.waitForStarted()) return -1;
    QElapsedTimer waited;
    waited.start();
    while (reader.state() != QProcess::NotRunning && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (reader.state() != QProcess::NotRunning) {
        reader.kill();
        reader.waitForFinished();
        return -1;
    }
    return reader.exitCode();
}

using ScreenReader = test::ScenesFixture;

TEST_F(ScreenReader, TogglesASwitchAndChoosesAnOptionThroughAtSpi) {
    if (!skipReason().empty()) GTEST_SKIP() << skipReason();
    AppState& s = readyState();
    SettingsView view(s);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    ASSERT_TRUE(s.oneTapEnabled());
    EXPECT_EQ(screenReader(QStringLiteral("单指轻点以点按"), QStringLiteral("check box"),
                           QStringLiteral("toggle")),
              0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(s.oneTapEnabled());
    EXPECT_FALSE(switchRow(view, QStringLiteral("单指轻点以点按"))->isOn());

    EXPECT_EQ(screenReader(QStringLiteral("显示桌面"), QStringLiteral("list item"),
                           QStringLiteral("press")),
              0);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.pinch3Action(), PinchAction::showDesktop);
}

}  // namespace
}  // namespace tavix::ui

int main(int argc, char** argv) {
    using tavix::ui::kLauncher;
    using tavix::ui::kPython;
    QTemporaryDir home;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
        qputenv(var, home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    qunsetenv("LANGUAGE");
    qputenv("LC_ALL", "C.UTF-8");

    // Listing the tests (the build does) needs none of the servers.
    const bool listing = std::any_of(argv, argv + argc, [](const char* arg) {
        return std::string_view(arg).starts_with("--gtest_list_tests");
    });
    std::optional<tavix::testing::PrivateXServer> x;
    std::optional<tavix::testing::PrivateBus> bus;
    if (!listing) {
        x.emplace();
        bus.emplace();
    }
    std::string& skip = tavix::ui::skipReason();
    if (listing)
        skip = "listing only";
    else if (x->display().empty())
        skip = "no Xvfb to start";
    else if (bus->address().empty())
        skip = "no dbus-daemon to start";
    else if (!std::filesystem::exists(kLauncher))
        skip = "no at-spi-bus-launcher (at-spi2-core)";
    else if (std::system((std::string(kPython) + " -c 'import pyatspi' 2>/dev/null").c_str()) != 0)
        skip = "no pyatspi (python3-pyatspi)";

    pid_t launcher = 0;
    if (skip.empty()) {
        qputenv("DISPLAY", QByteArray::fromStdString(x->display()));
        qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(bus->address()));
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        // In a process group of its own, so that the accessibility bus and registry it
        // starts end with it.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        std::string program = kLauncher;
        std::string immediately = "--launch-immediately";
        std::string a11y = "--a11y=1";
        char* args[] = {program.data(), immediately.data(), a11y.data(), nullptr};
        if (posix_spawn(&launcher, kLauncher, nullptr, &attributes, args, environ) != 0) {
            launcher = 0;
            skip = "at-spi-bus-launcher does not start";
        }
        posix_spawnattr_destroy(&attributes);
    }
    if (!skip.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");

    int status = 0;
    {
        QApplication app(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    if (launcher > 0) {
        kill(-launcher, SIGTERM);
        waitpid(launcher, nullptr, 0);
    }
    return status;
}
