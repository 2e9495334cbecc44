#include <signal.h>

#include <QTimer>

#include "Tavix/app/AppDelegate.h"
#include "Tavix/app/NotificationCenter.h"
#include "Tavix/app/TerminationSignals.h"
#include "tests/app/AppFixture.h"

namespace tavix::testing {
namespace {

class AppDelegateTest : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        AppStateTestAccess::reset();
        NotificationCenter::defaultCenter().addObserver(NotificationName::openSettings, &context,
                                                        [this] { ++openSettingsPosted; });
    }

    QObject context;
    int openSettingsPosted = 0;
};

TEST_F(AppDelegateTest, FirstLaunchBootsThenAsksForTheSettingsWindowOnce) {
    attachMouse();
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    // Nothing before the event loop runs the task.
    EXPECT_EQ(openSettingsPosted, 0);
    EXPECT_EQ(frame(100, {}), 0);
    runEvents(50);
    EXPECT_EQ(openSettingsPosted, 1);
    EXPECT_EQ(frame(100.1, {}), 1);
    EXPECT_EQ(QSettings("Tavix", "Tavix").value("launchedOnce").toString(), "true");

    // The next launch boots and shows nothing.
    AppStateTestAccess::reset();
    delegate.applicationDidFinishLaunching();
    runEvents(50);
    EXPECT_EQ(openSettingsPosted, 1);
    EXPECT_NE(AppState::shared().timer(), nullptr);

    // A reopen always asks for the window, whatever is visible.
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_EQ(openSettingsPosted, 3);
}

TEST_F(AppDelegateTest, SigtermQuitsTheOrderlyWayAndStopsTheDevices) {
    attachMouse();
    TerminationSignals termination;
    AppDelegate delegate;
    bool quitting = false;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                     [&] { quitting = true; });
    delegate.applicationDidFinishLaunching();
    QTimer::singleShot(100, [this] {
        EXPECT_EQ(frame(100, {}), 1);
        raise(SIGTERM);
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(quitting);
    EXPECT_EQ(frame(101, {simContact(1, 0.5f, 0.5f)}), 0);
}

}  // namespace
}  // namespace tavix::testing
