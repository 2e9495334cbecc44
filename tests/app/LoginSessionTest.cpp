#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Tavix/app/LinuxPlatform.h"
#include "platform/linux/LogindSession.h"
#include "platform/linux/LogindWakeNotice.h"
#include "platform/linux/input/MagicMouseTap.h"
#include "platform/linux/input/RecordedEvdev.h"
#include "tests/PrivateBus.h"
#include "tests/input/EvdevStreams.h"
#include "tests/mouse_settings/TempDirectory.h"
#include "tests/output/OutputRecorder.h"

extern char** environ;

namespace tavix::testing {
namespace {

using namespace platform;
using namespace platform::input;

// Runs the Qt event loop (the bus delivers there) until `done`; false after five seconds.
bool whileRunning(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// python-dbusmock's logind on a system bus of the test's own.
class MockLogind {
  public:
    MockLogind()
        : bus_(QDBusConnection::connectToBus(QString::fromStdString(system_.address()),
                                             "mock-logind-system")) {
        std::vector<std::string> words{"/usr/bin/python3", "-m", "dbusmock",
                                       "--system",         "-t", "logind"};
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        ScopedEnvironment address("DBUS_SYSTEM_BUS_ADDRESS", system_.address().c_str());
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = 0;
        whileRunning([this] {
            return bus_.interface()->isServiceRegistered("org.freedesktop.login1").value();
        });
    }
    ~MockLogind() {
        QDBusConnection::disconnectFromBus("mock-logind-system");
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    MockLogind(const MockLogind&) = delete;
    MockLogind& operator=(const MockLogind&) = delete;

    QDBusConnection& bus() { return bus_; }
    void addSession(const QString& id, bool active) {
        mock("/org/freedesktop/login1", "AddSession",
             {id, QString("seat0"), static_cast<uint>(getuid()), QString("me"), active});
    }
    // As logind does when another session takes the seat, or gives it back.
    void setActive(const QString& id, bool active) {
        mock("/org/freedesktop/login1/session/" + id, "UpdateProperties",
             {QString("org.freedesktop.login1.Session"), QVariantMap{{"Active", active}}});
    }

    // As logind may announce a switch: Active invalidated, its new value left to be read.
    void invalidateActive(const QString& id, bool active) {
        const QString path = "/org/freedesktop/login1/session/" + id;
        mock(
            path, "AddMethod",
            {QString("org.freedesktop.DBus.Mock"), QString("Invalidate"), QString("b"), QString(""),
             QString("self.props['org.freedesktop.login1.Session']['Active'] = args[0]; "
                     "self.EmitSignal('org.freedesktop.DBus.Properties', 'PropertiesChanged', "
                     "'sa{sv}as', ['org.freedesktop.login1.Session', {}, ['Active']])")});
        mock(path, "Invalidate", {active});
    }
    // A session object logind names but will not answer for.
    void nameUnansweredSession() {
        mock("/org/freedesktop/login1", "AddMethod",
             {QString("org.freedesktop.login1.Manager"), QString("GetSession"), QString("s"),
              QString("o"), QString("ret = '/org/freedesktop/login1/session/unanswered'")});
    }

    // The user's graphical session, as logind names it for the user's services (the template's
    // own GetUser cannot build a path from a number).
    void setDisplay(const QString& id) {
        const QString user = QString("/org/freedesktop/login1/user/%1").arg(getuid());
        mock("/org/freedesktop/login1", "AddMethod",
             {QString("org.freedesktop.login1.Manager"), QString("GetUser"), QString("u"),
              QString("o"), QString("ret = '%1'").arg(user)});
        mock(
            user, "AddMethod",
            {QString("org.freedesktop.DBus.Mock"), QString("ShowSession"), QString("s"),
             QString(""),
             QString("self.props['org.freedesktop.login1.User']['Display'] = dbus.Struct("
                     "(args[0], dbus.ObjectPath('/org/freedesktop/login1/session/' + args[0])))")});
        mock(user, "ShowSession", {id});
    }

  private:
    void mock(const QString& path, const QString& method, const QVariantList& arguments) {
        auto call = QDBusMessage::createMethodCall("org.freedesktop.login1", path,
                                                   "org.freedesktop.DBus.Mock", method);
        call.setArguments(arguments);
        const auto reply = bus_.call(call);
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }

    PrivateBus system_;
    QDBusConnection bus_;
    pid_t pid_ = 0;
};

struct CountingSink final : InputSink {
    explicit CountingSink(std::shared_ptr<std::atomic<int>> alive) : alive_(std::move(alive)) {
        ++*alive_;
    }
    ~CountingSink() override { --*alive_; }
    CountingSink(const CountingSink&) = delete;
    CountingSink& operator=(const CountingSink&) = delete;
    bool writeFrame(std::span<const InputEvent>) override { return true; }
    std::shared_ptr<std::atomic<int>> alive_;
};

TEST(LoginSessionTest, AnotherUserOnTheSeatGetsTheMouseAndNoVirtualDevicesUntilTheSessionIsBack) {
    MockLogind logind;
    ASSERT_TRUE(logind.bus().isConnected());
    logind.addSession("c7", true);
    ScopedEnvironment sessionId("XDG_SESSION_ID", "c7");

    input::testing::Collector frames;  // outlives the reader
    auto owned = std::make_unique<RecordedDevices>();
    auto stream = owned->attach(recordedMagicMouse(3));
    MagicMouseReader reader(std::move(owned));
    reader.addListener(frames);
    auto clones = std::make_shared<std::atomic<int>>(0);
    MagicMouseTap tap(reader, [clones](const MagicMouseDevice&) {
        return std::make_unique<CountingSink>(clones);
    });
    tap.tapsInstalled(true);
    OutputRecorder recorder;
    auto output = recorder.makeOutput();
    LogindWakeNotice wake;
    int wakes = 0;
    wake.observe([&wakes] { ++wakes; });

    LogindSession session(logind.bus());
    ASSERT_TRUE(session.found());
    EXPECT_TRUE(session.active());
    holdDevicesWhileActive(session, reader, output, wake);
    EXPECT_TRUE(stream->grabbed());
    EXPECT_EQ(*clones, 1);
    EXPECT_EQ(recorder.liveDevices(), 2);

    logind.setActive("c7", false);
    ASSERT_TRUE(whileRunning([&] { return !session.active(); }));
    EXPECT_FALSE(stream->isOpen());
    EXPECT_FALSE(stream->grabbed());
    EXPECT_TRUE(whileRunning([&] { return *clones == 0; }));
    EXPECT_EQ(recorder.liveDevices(), 0);
    // What the other user does on the mouse is theirs; a rescan in the meantime opens nothing.
    stream->push(input::testing::report(1.0, {{EV_KEY, BTN_LEFT, 1}}));
    EXPECT_TRUE(reader.devices().empty());
    EXPECT_EQ(frames.frameCount(), 0u);
    output->pressChord({.modifiers = {}, .key = KEY_A});
    output->waitIdle();
    EXPECT_TRUE(recorder.frames().empty());
    EXPECT_EQ(wakes, 0);

    logind.setActive("c7", true);
    ASSERT_TRUE(whileRunning([&] { return session.active(); }));
    EXPECT_TRUE(stream->grabbed());
    EXPECT_EQ(*clones, 1);
    EXPECT_EQ(recorder.liveDevices(), 2);
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(reader.devices().size(), 1u);

    logind.invalidateActive("c7", false);
    ASSERT_TRUE(whileRunning([&] { return !session.active(); }));
    EXPECT_FALSE(stream->isOpen());
    EXPECT_TRUE(whileRunning([&] { return *clones == 0; }));
    EXPECT_EQ(recorder.liveDevices(), 0);
}

TEST(LoginSessionTest, AUserServiceStartedInABackgroundSessionHoldsNothingAndNoLogindMeansActive) {
    MockLogind logind;
    logind.addSession("c9", false);
    logind.setDisplay("c9");
    ScopedEnvironment sessionId("XDG_SESSION_ID", nullptr);  // as for a systemd user service
    auto owned = std::make_unique<RecordedDevices>();
    auto stream = owned->attach(recordedMagicMouse(1));
    MagicMouseReader reader(std::move(owned));
    ASSERT_EQ(reader.devices().size(), 1u);
    OutputRecorder recorder;
    auto output = recorder.makeOutput();
    LogindWakeNotice wake;

    LogindSession session(logind.bus());
    ASSERT_TRUE(session.found());
    EXPECT_FALSE(session.active());
    holdDevicesWhileActive(session, reader, output, wake);
    EXPECT_FALSE(stream->isOpen());
    EXPECT_EQ(recorder.liveDevices(), 0);

    // A session whose Active logind does not give, one it does not know, or no logind at all:
    // Tavix works as before.
    ScopedEnvironment named("XDG_SESSION_ID", "c9");
    logind.nameUnansweredSession();
    LogindSession unanswered(logind.bus());
    EXPECT_TRUE(unanswered.found());
    EXPECT_TRUE(unanswered.active());

    ScopedEnvironment unknown("XDG_SESSION_ID", "nope");
    PrivateBus empty;
    auto bare = QDBusConnection::connectToBus(QString::fromStdString(empty.address()), "bare");
    LogindSession none(bare);
    EXPECT_FALSE(none.found());
    EXPECT_TRUE(none.active());
    QDBusConnection::disconnectFromBus("bare");
}

}  // namespace
}  // namespace tavix::testing
