#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/linux/desktop/Trigger.h"

struct DBusConnection;
struct DBusMessageIter;

namespace tavix::platform::desktop {

// A property value of the basic types desktop services use; unsigned and signed integers of
// every width read as int64, object paths as strings.
using DBusValue = std::variant<bool, std::int64_t, double, std::string, std::vector<std::string>>;

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
    // Whether the running service has the method, or the writable property a Properties.Set
    // call sets, by introspecting the object; names, never version numbers.
    bool offers(const DBusCall& call);
    // Whether the running service has a property that can be both read and written.
    bool offersProperty(const std::string& service, const std::string& path,
                        const std::string& interface, const std::string& name);
    // False when the call cannot be made or the service answers with an error (`error`).
    bool call(const DBusCall& call, std::string* error = nullptr);
    // The first value the call returns; nothing on an error or a value of another type.
    std::optional<DBusValue> callForValue(const DBusCall& call);

    // org.freedesktop.DBus.Properties Get and Set, never starting the service. A value of
    // another type reads as nothing; an int64 is set as int32 when it fits, a vector as "as".
    std::optional<DBusValue> getProperty(const std::string& service, const std::string& path,
                                         const std::string& interface, const std::string& name);
    bool setProperty(const std::string& service, const std::string& path,
                     const std::string& interface, const std::string& name, const DBusValue& value);
    // A signal from this connection; `append` writes its arguments and says whether it could.
    bool emitSignal(const std::string& path, const std::string& interface,
                    const std::string& member, const std::function<bool(DBusMessageIter*)>& append);

    static constexpr int kTimeoutMs = 1000;

  private:
    explicit SessionBus(DBusConnection* connection) : connection_(connection) {}
    std::optional<std::string> introspect(const std::string& service, const std::string& path);

    DBusConnection* connection_;
};

}  // namespace tavix::platform::desktop
