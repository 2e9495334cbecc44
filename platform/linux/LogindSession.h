#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <vector>

namespace tavix::platform {

// This process's logind session and whether it is the one in the foreground of its seat. With
// another user switched in, the mouse and the virtual devices belong to that user's session.
// Without logind, or outside any session, the session counts as always active.
class LogindSession final : public QObject {
    Q_OBJECT
  public:
    // On the main thread, once the application object exists. The session is the one
    // XDG_SESSION_ID names, else the one logind places this process in, else the user's
    // graphical session.
    explicit LogindSession(QDBusConnection bus = QDBusConnection::systemBus());

    bool found() const { return !path_.isEmpty(); }
    bool active() const { return active_; }
    // Called on the main thread with the new value each time the session turns active or
    // inactive.
    void observe(std::function<void(bool active)> onChange);

  private slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated);

  private:
    void update(bool active);
    bool readActive();

    QDBusConnection bus_;
    QString path_;
    bool active_ = true;
    std::vector<std::function<void(bool)>> observers_;
};

}  // namespace tavix::platform
