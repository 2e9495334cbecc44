#include "platform/linux/desktop/SessionBus.h"

#include <gio/gio.h>

#include <charconv>
#include <cstdint>

#include "platform/linux/DBusBasics.h"

namespace tavix::platform::desktop {
namespace {

using dbus::Message;
using dbus::ScopedError;
using dbus::sessionBusAddress;

bool appendBasic(DBusMessageIter* iter, const DBusArgument& argument) {
    const std::string& v = argument.value;
    char* end = nullptr;
    if (argument.type == "string" || argument.type == "objpath") {
        const int type = argument.type == "string" ? DBUS_TYPE_STRING : DBUS_TYPE_OBJECT_PATH;
        if (type == DBUS_TYPE_OBJECT_PATH && !dbus_validate_path(v.c_str(), nullptr)) return false;
        const char* text = v.c_str();
        return dbus_message_iter_append_basic(iter, type, &text);
    }
    if (argument.type == "boolean") {
        if (v != "true" && v != "false") return false;
        const dbus_bool_t b = v == "true";
        return dbus_message_iter_append_basic(iter, DBUS_TYPE_BOOLEAN, &b);
    }
    if (argument.type == "int32") {
        const long n = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end || n < INT32_MIN || n > INT32_MAX) return false;
        const dbus_int32_t i = static_cast<dbus_int32_t>(n);
        return dbus_message_iter_append_basic(iter, DBUS_TYPE_INT32, &i);
    }
    if (argument.type == "uint32") {
        const unsigned long n = std::strtoul(v.c_str(), &end, 10);
        if (v.empty() || *end || v.front() == '-' || n > UINT32_MAX) return false;
        const dbus_uint32_t u = static_cast<dbus_uint32_t>(n);
        return dbus_message_iter_append_basic(iter, DBUS_TYPE_UINT32, &u);
    }
    if (argument.type == "double") {
        double d = 0;
        const auto [last, error] = std::from_chars(v.data(), v.data() + v.size(), d);
        if (v.empty() || error != std::errc() || last != v.data() + v.size()) return false;
        return dbus_message_iter_append_basic(iter, DBUS_TYPE_DOUBLE, &d);
    }
    return false;
}

const char* signatureOf(const std::string& type) {
    if (type == "string") return DBUS_TYPE_STRING_AS_STRING;
    if (type == "objpath") return DBUS_TYPE_OBJECT_PATH_AS_STRING;
    if (type == "boolean") return DBUS_TYPE_BOOLEAN_AS_STRING;
    if (type == "int32") return DBUS_TYPE_INT32_AS_STRING;
    if (type == "uint32") return DBUS_TYPE_UINT32_AS_STRING;
    if (type == "double") return DBUS_TYPE_DOUBLE_AS_STRING;
    return nullptr;
}

bool appendArgument(DBusMessage* message, const DBusArgument& argument) {
    DBusMessageIter iter;
    dbus_message_iter_init_append(message, &iter);
    if (!argument.variant) return appendBasic(&iter, argument);
    const char* signature = signatureOf(argument.type);
    if (!signature) return false;
    DBusMessageIter inner;
    if (!dbus_message_iter_open_container(&iter, DBUS_TYPE_VARIANT, signature, &inner)) {
        return false;
    }
    if (!appendBasic(&inner, argument)) {
        dbus_message_iter_abandon_container(&iter, &inner);
        return false;
    }
    return dbus_message_iter_close_container(&iter, &inner);
}

struct NodeInfoUnref {
    void operator()(GDBusNodeInfo* node) const { g_dbus_node_info_unref(node); }
};

enum class Member { method, writableProperty, readWriteProperty };

// Services differ in how they write introspection data (attribute order, quoting, overloads), so
// it is read by GIO's parser rather than searched.
bool declares(const std::string& xml, const std::string& interface, Member kind,
              const std::string& name) {
    GError* error = nullptr;
    const std::unique_ptr<GDBusNodeInfo, NodeInfoUnref> node(
        g_dbus_node_info_new_for_xml(xml.c_str(), &error));
    g_clear_error(&error);
    if (!node) return false;
    GDBusInterfaceInfo* info = g_dbus_node_info_lookup_interface(node.get(), interface.c_str());
    if (!info) return false;
    switch (kind) {
        case Member::method:
            return g_dbus_interface_info_lookup_method(info, name.c_str()) != nullptr;
        case Member::writableProperty:
        case Member::readWriteProperty: {
            const GDBusPropertyInfo* property =
                g_dbus_interface_info_lookup_property(info, name.c_str());
            if (!property) return false;
            const bool writable = (property->flags & G_DBUS_PROPERTY_INFO_FLAGS_WRITABLE) != 0;
            const bool readable = (property->flags & G_DBUS_PROPERTY_INFO_FLAGS_READABLE) != 0;
            return writable && (readable || kind == Member::writableProperty);
        }
    }
    return false;
}

std::optional<DBusValue> readValue(DBusMessageIter* iter) {
    const int type = dbus_message_iter_get_arg_type(iter);
    if (type == DBUS_TYPE_VARIANT) {
        DBusMessageIter inner;
        dbus_message_iter_recurse(iter, &inner);
        return readValue(&inner);
    }
    if (type == DBUS_TYPE_ARRAY) {
        if (dbus_message_iter_get_element_type(iter) != DBUS_TYPE_STRING) return std::nullopt;
        DBusMessageIter items;
        dbus_message_iter_recurse(iter, &items);
        std::vector<std::string> strings;
        for (; dbus_message_iter_get_arg_type(&items) == DBUS_TYPE_STRING;
             dbus_message_iter_next(&items)) {
            const char* text = nullptr;
            dbus_message_iter_get_basic(&items, &text);
            strings.emplace_back(text ? text : "");
        }
        return DBusValue(std::move(strings));
    }
    if (!dbus_type_is_basic(type)) return std::nullopt;
    DBusBasicValue v{};
    dbus_message_iter_get_basic(iter, &v);
    switch (type) {
        case DBUS_TYPE_BOOLEAN:
            return DBusValue(v.bool_val != FALSE);
        case DBUS_TYPE_DOUBLE:
            return DBusValue(v.dbl);
        case DBUS_TYPE_BYTE:
            return DBusValue(std::int64_t{v.byt});
        case DBUS_TYPE_INT16:
            return DBusValue(std::int64_t{v.i16});
        case DBUS_TYPE_UINT16:
            return DBusValue(std::int64_t{v.u16});
        case DBUS_TYPE_INT32:
            return DBusValue(std::int64_t{v.i32});
        case DBUS_TYPE_UINT32:
            return DBusValue(std::int64_t{v.u32});
        case DBUS_TYPE_INT64:
            return DBusValue(std::int64_t{v.i64});
        case DBUS_TYPE_UINT64:
            if (v.u64 > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
            return DBusValue(static_cast<std::int64_t>(v.u64));
        case DBUS_TYPE_STRING:
        case DBUS_TYPE_OBJECT_PATH:
            return DBusValue(std::string(v.str ? v.str : ""));
        default:
            return std::nullopt;
    }
}

bool appendVariant(DBusMessageIter* iter, const DBusValue& value) {
    DBusMessageIter inner;
    auto open = [&](const char* signature) {
        return dbus_message_iter_open_container(iter, DBUS_TYPE_VARIANT, signature, &inner);
    };
    bool ok = false;
    if (const auto* b = std::get_if<bool>(&value)) {
        const dbus_bool_t v = *b;
        if (!open(DBUS_TYPE_BOOLEAN_AS_STRING)) return false;
        ok = dbus_message_iter_append_basic(&inner, DBUS_TYPE_BOOLEAN, &v);
    } else if (const auto* d = std::get_if<double>(&value)) {
        if (!open(DBUS_TYPE_DOUBLE_AS_STRING)) return false;
        ok = dbus_message_iter_append_basic(&inner, DBUS_TYPE_DOUBLE, d);
    } else if (const auto* i = std::get_if<std::int64_t>(&value)) {
        if (*i < INT32_MIN || *i > INT32_MAX) return false;
        const dbus_int32_t v = static_cast<dbus_int32_t>(*i);
        if (!open(DBUS_TYPE_INT32_AS_STRING)) return false;
        ok = dbus_message_iter_append_basic(&inner, DBUS_TYPE_INT32, &v);
    } else if (const auto* s = std::get_if<std::string>(&value)) {
        const char* v = s->c_str();
        if (!open(DBUS_TYPE_STRING_AS_STRING)) return false;
        ok = dbus_message_iter_append_basic(&inner, DBUS_TYPE_STRING, &v);
    } else {
        const auto& strings = std::get<std::vector<std::string>>(value);
        if (!open("as")) return false;
        DBusMessageIter array;
        ok = dbus_message_iter_open_container(&inner, DBUS_TYPE_ARRAY, "s", &array);
        for (const auto& string : strings) {
            const char* v = string.c_str();
            ok = ok && dbus_message_iter_append_basic(&array, DBUS_TYPE_STRING, &v);
        }
        ok = ok && dbus_message_iter_close_container(&inner, &array);
    }
    if (!ok) {
        dbus_message_iter_abandon_container(iter, &inner);
        return false;
    }
    return dbus_message_iter_close_container(iter, &inner);
}

bool validObject(const std::string& service, const std::string& path, const std::string& interface,
                 const std::string& name) {
    return dbus_validate_bus_name(service.c_str(), nullptr) &&
           dbus_validate_path(path.c_str(), nullptr) &&
           dbus_validate_interface(interface.c_str(), nullptr) &&
           dbus_validate_member(name.c_str(), nullptr);
}

// The reply; none on failure, with `error` saying why.
Message send(DBusConnection* connection, const DBusCall& call, std::string* error) {
    auto fail = [&](std::string why) -> Message {
        if (error) *error = std::move(why);
        return Message();
    };
    if (!validObject(call.service, call.path, call.interface, call.member)) {
        return fail("not a valid D-Bus name");
    }
    Message message(dbus_message_new_method_call(call.service.c_str(), call.path.c_str(),
                                                 call.interface.c_str(), call.member.c_str()));
    if (!message) return fail("out of memory");
    for (const auto& argument : call.arguments) {
        if (!appendArgument(message.get(), argument)) {
            return fail("bad argument " + argument.type + ":" + argument.value);
        }
    }
    ScopedError failure;
    Message reply(dbus_connection_send_with_reply_and_block(connection, message.get(),
                                                            SessionBus::kTimeoutMs, failure.get()));
    return reply ? std::move(reply) : fail(failure.text());
}

}  // namespace

std::unique_ptr<SessionBus> SessionBus::connect() {
    const auto address = sessionBusAddress();
    if (!address) return nullptr;
    static const bool threadsReady = dbus_threads_init_default();
    if (!threadsReady) return nullptr;
    ScopedError error;
    DBusConnection* connection = dbus_connection_open_private(address->c_str(), error.get());
    if (!connection) return nullptr;
    dbus_connection_set_exit_on_disconnect(connection, FALSE);
    if (!dbus_bus_register(connection, error.get())) {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
        return nullptr;
    }
    return std::unique_ptr<SessionBus>(new SessionBus(connection));
}

SessionBus::~SessionBus() {
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
}

bool SessionBus::hasOwner(const std::string& name) {
    if (!dbus_validate_bus_name(name.c_str(), nullptr)) return false;
    ScopedError error;
    return dbus_bus_name_has_owner(connection_, name.c_str(), error.get());
}

std::optional<std::string> SessionBus::introspect(const std::string& service,
                                                  const std::string& path) {
    if (!dbus_validate_bus_name(service.c_str(), nullptr) ||
        !dbus_validate_path(path.c_str(), nullptr)) {
        return std::nullopt;
    }
    Message message(dbus_message_new_method_call(
        service.c_str(), path.c_str(), "org.freedesktop.DBus.Introspectable", "Introspect"));
    if (!message) return std::nullopt;
    // Probing must not start a service that is not running.
    dbus_message_set_auto_start(message.get(), FALSE);
    ScopedError error;
    Message reply(dbus_connection_send_with_reply_and_block(connection_, message.get(), kTimeoutMs,
                                                            error.get()));
    const char* xml = nullptr;
    if (!reply || !dbus_message_get_args(reply.get(), error.get(), DBUS_TYPE_STRING, &xml,
                                         DBUS_TYPE_INVALID)) {
        return std::nullopt;
    }
    return std::string(xml);
}

bool SessionBus::offers(const DBusCall& call) {
    if (!hasOwner(call.service)) return false;
    const auto xml = introspect(call.service, call.path);
    if (!xml) return false;
    if (call.interface == "org.freedesktop.DBus.Properties" && call.member == "Set") {
        return call.arguments.size() == 3 && declares(*xml, call.arguments[0].value,
                                                      Member::writableProperty,
                                                      call.arguments[1].value);
    }
    return declares(*xml, call.interface, Member::method, call.member);
}

bool SessionBus::offersProperty(const std::string& service, const std::string& path,
                                const std::string& interface, const std::string& name) {
    if (!hasOwner(service)) return false;
    const auto xml = introspect(service, path);
    return xml && declares(*xml, interface, Member::readWriteProperty, name);
}

bool SessionBus::call(const DBusCall& call, std::string* error) {
    return send(connection_, call, error) != nullptr;
}

std::optional<DBusValue> SessionBus::callForValue(const DBusCall& call) {
    const Message reply = send(connection_, call, nullptr);
    DBusMessageIter iter;
    if (!reply || !dbus_message_iter_init(reply.get(), &iter)) return std::nullopt;
    return readValue(&iter);
}

std::optional<DBusValue> SessionBus::getProperty(const std::string& service,
                                                 const std::string& path,
                                                 const std::string& interface,
                                                 const std::string& name) {
    if (!validObject(service, path, interface, name)) return std::nullopt;
    Message message(dbus_message_new_method_call(service.c_str(), path.c_str(),
                                                 "org.freedesktop.DBus.Properties", "Get"));
    if (!message) return std::nullopt;
    dbus_message_set_auto_start(message.get(), FALSE);
    const char* i = interface.c_str();
    const char* n = name.c_str();
    if (!dbus_message_append_args(message.get(), DBUS_TYPE_STRING, &i, DBUS_TYPE_STRING, &n,
                                  DBUS_TYPE_INVALID)) {
        return std::nullopt;
    }
    ScopedError error;
    Message reply(dbus_connection_send_with_reply_and_block(connection_, message.get(), kTimeoutMs,
                                                            error.get()));
    DBusMessageIter iter;
    if (!reply || !dbus_message_iter_init(reply.get(), &iter)) return std::nullopt;
    return readValue(&iter);
}

bool SessionBus::setProperty(const std::string& service, const std::string& path,
                             const std::string& interface, const std::string& name,
                             const DBusValue& value) {
    if (!validObject(service, path, interface, name)) return false;
    Message message(dbus_message_new_method_call(service.c_str(), path.c_str(),
                                                 "org.freedesktop.DBus.Properties", "Set"));
    if (!message) return false;
    dbus_message_set_auto_start(message.get(), FALSE);
    DBusMessageIter iter;
    dbus_message_iter_init_append(message.get(), &iter);
    const char* i = interface.c_str();
    const char* n = name.c_str();
    if (!dbus_message_iter_append_basic(&iter, DBUS_TYPE_STRING, &i) ||
        !dbus_message_iter_append_basic(&iter, DBUS_TYPE_STRING, &n) ||
        !appendVariant(&iter, value)) {
        return false;
    }
    ScopedError error;
    Message reply(dbus_connection_send_with_reply_and_block(connection_, message.get(), kTimeoutMs,
                                                            error.get()));
    return reply != nullptr;
}

bool SessionBus::emitSignal(const std::string& path, const std::string& interface,
                            const std::string& member,
                            const std::function<bool(DBusMessageIter*)>& append) {
    if (!dbus_validate_path(path.c_str(), nullptr) ||
        !dbus_validate_interface(interface.c_str(), nullptr) ||
        !dbus_validate_member(member.c_str(), nullptr)) {
        return false;
    }
    Message signal(dbus_message_new_signal(path.c_str(), interface.c_str(), member.c_str()));
    if (!signal) return false;
    DBusMessageIter iter;
    dbus_message_iter_init_append(signal.get(), &iter);
    if (append && !append(&iter)) return false;
    if (!dbus_connection_send(connection_, signal.get(), nullptr)) return false;
    dbus_connection_flush(connection_);
    return true;
}

}  // namespace tavix::platform::desktop
