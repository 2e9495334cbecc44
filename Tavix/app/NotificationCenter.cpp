#include "Tavix/app/NotificationCenter.h"

namespace tavix {

NotificationCenter& NotificationCenter::defaultCenter() {
    static auto& center = *new NotificationCenter;
    return center;
}

void NotificationCenter::post(const QString& name) {
    emit posted(name);
}

QMetaObject::Connection NotificationCenter::addObserver(const QString& name,
                                                        const QObject* context,
                                                        std::function<void()> block) {
    return connect(
        this, &NotificationCenter::posted, context,
        [name, block = std::move(block)](const QString& postedName) {
            if (postedName == name) block();
        },
        Qt::DirectConnection);
}

}  // namespace tavix
