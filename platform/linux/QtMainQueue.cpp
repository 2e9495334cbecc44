#include "platform/linux/QtMainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tavix::platform {

void QtMainQueue::async(std::function<void()> block) {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(application, std::move(block), Qt::QueuedConnection);
    }
}

}  // namespace tavix::platform
