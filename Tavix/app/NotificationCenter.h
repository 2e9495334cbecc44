#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace tavix {

// Names of the notifications posted inside the process.
struct NotificationName {
    // Asks for the settings window.
    static inline const QString openSettings = QStringLiteral("TavixOpenSettings");
};

// The process's own notification centre: nothing posted here leaves the process. A notification
// is delivered at once, on the posting thread, to every observer of its name, in the order they
// were added.
class NotificationCenter : public QObject {
    Q_OBJECT

  public:
    // Never destroyed.
    static NotificationCenter& defaultCenter();

    void post(const QString& name);
    // Observes until `context` is destroyed or the connection is broken.
    QMetaObject::Connection addObserver(const QString& name, const QObject* context,
                                        std::function<void()> block);

  signals:
    void posted(const QString& name);
};

}  // namespace tavix
