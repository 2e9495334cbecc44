#include <gtest/gtest.h>

#include "platform/linux/desktop/ShowDesktopX11.h"
#include "platform/linux/desktop/SwitchDesktopX11.h"
#include "tests/desktop/XTestServer.h"
#include "tests/mouse_settings/TempDirectory.h"

namespace tavix::platform::desktop {
namespace {

using tavix::testing::FakeWindowManager;
using tavix::testing::PrivateXServer;
using tavix::testing::ScopedEnvironment;

TEST(X11ShowDesktop, SendsTheEwmhRequestOnlyToAWindowManagerThatTakesIt) {
    {
        ScopedEnvironment noDisplay("DISPLAY", nullptr);
        EXPECT_FALSE(X11ShowDesktop().toggleShowingDesktop());
    }
    PrivateXServer server;
    if (server.display().empty()) GTEST_SKIP() << "no Xvfb to start";
    ScopedEnvironment display("DISPLAY", server.display().c_str());
    FakeWindowManager wm(server.display());
    ASSERT_TRUE(wm.connected());

    EXPECT_FALSE(X11ShowDesktop().toggleShowingDesktop());  // not announced

    wm.announce();
    EXPECT_TRUE(X11ShowDesktop().toggleShowingDesktop());
    EXPECT_EQ(wm.nextRequest(), 1);
    // Already showing the desktop: the same gesture brings the windows back.
    wm.setShowing(true);
    EXPECT_TRUE(X11ShowDesktop().toggleShowingDesktop());
    EXPECT_EQ(wm.nextRequest(), 0);
}

// The desktop swipe asks for the neighbouring workspace and stops at either end.
TEST(X11DesktopSwitcher, AsksForTheNeighbouringWorkspaceWithoutWrappingAround) {
    PrivateXServer server;
    if (server.display().empty()) GTEST_SKIP() << "no Xvfb to start";
    ScopedEnvironment display("DISPLAY", server.display().c_str());
    FakeWindowManager wm(server.display());
    ASSERT_TRUE(wm.connected());
    wm.setDesktops(1, 3);
    EXPECT_FALSE(X11DesktopSwitcher().switchDesktop(1));  // not announced

    wm.announce();
    EXPECT_TRUE(X11DesktopSwitcher().switchDesktop(1));
    EXPECT_EQ(wm.nextRequest("_NET_CURRENT_DESKTOP"), 2);
    EXPECT_TRUE(X11DesktopSwitcher().switchDesktop(-1));
    EXPECT_EQ(wm.nextRequest("_NET_CURRENT_DESKTOP"), 0);
    wm.setDesktops(2, 3);
    EXPECT_TRUE(X11DesktopSwitcher().switchDesktop(1));  // the last one: nothing to ask
    EXPECT_TRUE(X11DesktopSwitcher().switchDesktop(-1));
    EXPECT_EQ(wm.nextRequest("_NET_CURRENT_DESKTOP"), 1);  // the first message after the end
}

}  // namespace
}  // namespace tavix::platform::desktop
