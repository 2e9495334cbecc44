#include "platform/preferences/linux/DBusNotificationCenter.h"

#include <dbus/dbus.h>
#include <gtest/gtest.h>
#include <chrono>
#include <memory>

#include "tests/PrivateBus.h"
#include "tests/mouse_settings/TempDirectory.h"

namespace tavix::platform {
namespace {

using testing::PrivateBus;
using testing::ScopedEnvironment;

TEST(DBusNotificationCenterTest, WithoutASessionBusNothingHappens) {
    testing::TempDirectory runtime;
    ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", nullptr);
    ScopedEnvironment dir("XDG_RUNTIME_DIR", runtime.path().c_str());
    DBusNotificationCenter().postNotification("SwipeScrollDirectionDidChangeNotification", true);
}

struct ConnectionClose {
    void operator()(DBusConnection* c) const {
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
};

TEST(DBusNotificationCenterTest, PostsASignalNamedAfterTheNotification) {
    PrivateBus bus;
    if (bus.address().empty()) GTEST_SKIP() << "no dbus-daemon to start";

    std::unique_ptr<DBusConnection, ConnectionClose> listener(
        dbus_connection_open_private(bus.address().c_str(), nullptr));
    ASSERT_TRUE(listener);
    ASSERT_TRUE(dbus_bus_register(listener.get(), nullptr));
    dbus_bus_add_match(listener.get(),
                       "type='signal',interface='io.tavix.DistributedNotificationCenter'", nullptr);
    dbus_connection_flush(listener.get());

    ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str());
    DBusNotificationCenter center;
    // Not a valid member name: skipped, so the first signal seen is the second post.
    center.postNotification("Not.A-Member", true);
    center.postNotification("SwipeScrollDirectionDidChangeNotification", true);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    DBusMessage* received = nullptr;
    while (!received && std::chrono::steady_clock::now() < deadline) {
        dbus_connection_read_write(listener.get(), 100);
        while (DBusMessage* message = dbus_connection_pop_message(listener.get())) {
            if (!received && dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_SIGNAL &&
                dbus_message_has_interface(message, DBusNotificationCenter::kInterface)) {
                received = message;
            } else {
                dbus_message_unref(message);
            }
        }
    }
    ASSERT_NE(received, nullptr);
    EXPECT_STREQ(dbus_message_get_member(received), "SwipeScrollDirectionDidChangeNotification");
    EXPECT_STREQ(dbus_message_get_path(received), DBusNotificationCenter::kObjectPath);
    EXPECT_STREQ(dbus_message_get_signature(received), "");
    dbus_message_unref(received);
}

}  // namespace
}  // namespace tavix::platform
