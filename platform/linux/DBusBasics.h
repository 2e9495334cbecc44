#pragma once

#include <dbus/dbus.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// The small libdbus helpers every private session-bus connection of Tavix needs.
namespace tavix::platform::dbus {

struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

struct Free {
    void operator()(char* text) const { dbus_free(text); }
};

class ScopedError {
  public:
    ScopedError() { dbus_error_init(&error_); }
    ~ScopedError() { dbus_error_free(&error_); }
    ScopedError(const ScopedError&) = delete;
    ScopedError& operator=(const ScopedError&) = delete;
    ScopedError(ScopedError&&) = delete;
    ScopedError& operator=(ScopedError&&) = delete;
    DBusError* get() { return &error_; }
    std::string text() const {
        return dbus_error_is_set(&error_) ? std::string(error_.name) + ": " + error_.message : "";
    }

  private:
    DBusError error_;
};

// DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus when that socket exists. Resolved by hand
// rather than by libdbus, whose fallback may launch a new bus daemon.
inline std::optional<std::string> sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) {
        return std::string(address);
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return std::nullopt;
    const std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
    std::error_code error;
    if (!std::filesystem::is_socket(socket, error)) return std::nullopt;
    const std::unique_ptr<char, Free> escaped(dbus_address_escape_value(socket.c_str()));
    if (!escaped) return std::nullopt;
    return "unix:path=" + std::string(escaped.get());
}

}  // namespace tavix::platform::dbus
