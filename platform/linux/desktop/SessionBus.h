#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/linux/desktop/Trigger.h"

struct DBusConnection;

namespace tavix::platform::desktop {

// A private connection to the user's session bus (libdbus). It owns no well-known name: the
// desktop services are called as the ordinary client Tavix is.
class SessionBus {
  public:
    // From DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus; nothing when there is no bus.
    // Never starts a bus of its own.
    static std::unique_ptr<SessionBus> connect();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool hasOwner(const std::string& name);
    // Whether the running service has the method, or the property a Properties.Set call sets,
    // by introspecting the object; names, never version numbers.
    bool offers(const DBusCall& call);
    // False when the call cannot be made or the service answers with an error (`error`).
    bool call(const DBusCall& call, std::string* error = nullptr);

    static constexpr int kTimeoutMs = 1000;

  private:
    explicit SessionBus(DBusConnection* connection) : connection_(connection) {}
    std::optional<std::string> introspect(const std::string& service, const std::string& path);

    DBusConnection* connection_;
};

}  // namespace tavix::platform::desktop
