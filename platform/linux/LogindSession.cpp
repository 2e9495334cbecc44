#include "platform/linux/LogindSession.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

#include <unistd.h>

namespace tavix::platform {
namespace {

constexpr char kService[] = "org.freedesktop.login1";
constexpr char kManagerPath[] = "/org/freedesktop/login1";
constexpr char kManager[] = "org.freedesktop.login1.Manager";
constexpr char kSession[] = "org.freedesktop.login1.Session";
constexpr char kProperties[] = "org.freedesktop.DBus.Properties";

constexpr char kUser[] = "org.freedesktop.login1.User";
constexpr int kTimeoutMs = 2000;

QDBusVariant readProperty(QDBusConnection& bus, const QString& path, const char* interface,
                      const char* name) {
    auto call = QDBusMessage::createMethodCall(kService, path, kProperties, "Get");
    call << QString(interface) << QString(name);
    const QDBusReply<QDBusVariant> reply = bus.call(call, QDBus::Block, kTimeoutMs);
    return reply.isValid() ? reply.value() : QDBusVariant();
}

QString sessionPath(QDBusConnection& bus) {
    auto ask = [&bus](const char* method, const QVariant& argument) {
        auto call = QDBusMessage::createMethodCall(kService, kManagerPath, kManager, method);
        call << argument;
        const QDBusReply<QDBusObjectPath> reply = bus.call(call, QDBus::Block, kTimeoutMs);
        return reply.isValid() ? reply.value().path() : QString();
    };
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (!id.isEmpty()) {
        if (QString path = ask("GetSession", id); !path.isEmpty()) return path;
    }
    if (QString path = ask("GetSessionByPID", QVariant::fromValue(static_cast<uint>(getpid())));
        !path.isEmpty()) {
        return path;
    }
    // Started as a user service (autostart through systemd), which belongs to no session: the
    // user's graphical session is the one whose seat the mouse is on.
    const QString user = ask("GetUser", QVariant::fromValue(static_cast<uint>(getuid())));
    if (user.isEmpty()) return {};
    const QVariant display = readProperty(bus, user, kUser, "Display").variant();
    if (!display.canConvert<QDBusArgument>()) return {};
    QString displayId;
    QDBusObjectPath displayPath;
    const auto argument = display.value<QDBusArgument>();
    argument.beginStructure();
    argument >> displayId >> displayPath;
    argument.endStructure();
    return displayPath.path() == "/" ? QString() : displayPath.path();
}

}  // namespace

LogindSession::LogindSession(QDBusConnection bus) : bus_(std::move(bus)) {
    if (!bus_.isConnected()) return;
    const QString path = sessionPath(bus_);
    if (path.isEmpty()) return;
    // Watch first, then read, so that no change falls between the two.
    if (!bus_.connect(kService, path, kProperties, "PropertiesChanged", this,
                      SLOT(propertiesChanged(QString, QVariantMap, QStringList)))) {
        return;
    }
    path_ = path;
    active_ = readActive();
}

void LogindSession::observe(std::function<void(bool)> onChange) {
    observers_.push_back(std::move(onChange));
}

bool LogindSession::readActive() {
    const QVariant active = readProperty(bus_, path_, kSession, "Active").variant();
    // A session logind cannot answer for keeps what it had: never lose the mouse by accident.
    return active.isValid() ? active.toBool() : active_;
}

void LogindSession::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                      const QStringList& invalidated) {
    if (interface != kSession) return;
    if (const auto value = changed.find("Active"); value != changed.end()) {
        update(value->toBool());
    } else if (invalidated.contains("Active")) {
        update(readActive());
    }
}

void LogindSession::update(bool active) {
    if (active == active_) return;
    active_ = active;
    for (const auto& observer : observers_) observer(active);
}

}  // namespace tavix::platform
