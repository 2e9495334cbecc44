#include "platform/preferences/linux/DBusNotificationCenter.h"

#include <memory>

#include "platform/linux/DBusBasics.h"

namespace tavix::platform {
namespace {

using dbus::ScopedError;
using dbus::sessionBusAddress;

struct ConnectionClose {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};

}  // namespace

void DBusNotificationCenter::postNotification(const std::string& name, bool) {
    if (!dbus_validate_member(name.c_str(), nullptr)) return;
    const auto address = sessionBusAddress();
    if (!address) return;

    static const bool threadsReady = dbus_threads_init_default();
    if (!threadsReady) return;

    // Notifications are rare; a connection of our own per post keeps no state between them.
    ScopedError error;
    const std::unique_ptr<DBusConnection, ConnectionClose> connection(
        dbus_connection_open_private(address->c_str(), error.get()));
    if (!connection) return;
    dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);
    if (!dbus_bus_register(connection.get(), error.get())) return;

    const dbus::Message signal(
        dbus_message_new_signal(kObjectPath, kInterface, name.c_str()));
    if (!signal) return;
    dbus_connection_send(connection.get(), signal.get(), nullptr);
    dbus_connection_flush(connection.get());
}

}  // namespace tavix::platform
