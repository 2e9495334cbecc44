#include "platform/preferences/linux/DBusNotificationCenter.h"

#include <dbus/dbus.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

namespace tavix::platform {
namespace {

struct ConnectionClose {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
struct DBusFree {
    void operator()(char* text) const { dbus_free(text); }
};

class ScopedError {
  public:
    ScopedError() { dbus_error_init(&error_); }
    ~ScopedError() { dbus_error_free(&error_); }
    ScopedError(const ScopedError&) = delete;
    ScopedError& operator=(const ScopedError&) = delete;
    DBusError* get() { return &error_; }

  private:
    DBusError error_;
};

// Resolved by hand rather than by libdbus, whose fallback may launch a new bus daemon.
std::optional<std::string> sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) {
        return std::string(address);
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return std::nullopt;
    const std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
    std::error_code error;
    if (!std::filesystem::is_socket(socket, error)) return std::nullopt;
    const std::unique_ptr<char, DBusFree> escaped(dbus_address_escape_value(socket.c_str()));
    if (!escaped) return std::nullopt;
    return "unix:path=" + std::string(escaped.get());
}

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

    const std::unique_ptr<DBusMessage, MessageUnref> signal(
        dbus_message_new_signal(kObjectPath, kInterface, name.c_str()));
    if (!signal) return;
    dbus_connection_send(connection.get(), signal.get(), nullptr);
    dbus_connection_flush(connection.get());
}

}  // namespace tavix::platform
