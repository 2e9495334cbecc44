#include "platform/linux/LogindWakeNotice.h"

#include <QDBusConnection>

namespace tavix::platform {

LogindWakeNotice::LogindWakeNotice() {
    auto bus = QDBusConnection::systemBus();
    connected_ = bus.isConnected() &&
                 bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                             "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                             SLOT(prepareForSleep(bool)));
}

void LogindWakeNotice::observe(std::function<void()> onWake) {
    observers_.push_back(std::move(onWake));
}

void LogindWakeNotice::prepareForSleep(bool sleeping) {
    // The bus delivers on this object's thread, the main one.
    if (!sleeping) announce();
}

void LogindWakeNotice::announce() {
    for (const auto& observer : observers_) observer();
}

}  // namespace tavix::platform
