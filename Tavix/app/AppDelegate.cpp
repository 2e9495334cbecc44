#include "Tavix/app/AppDelegate.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

#include "Tavix/AppState.h"
#include "Tavix/app/NotificationCenter.h"
#include "Tavix/app/UserDefaults.h"
#include "Tavix/touch/MultitouchManager.h"

namespace tavix {

AppDelegate::AppDelegate(QObject* parent) : QObject(parent) {
    if (auto* application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, this,
                &AppDelegate::applicationWillTerminate);
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    QMetaObject::invokeMethod(this, &AppDelegate::finishLaunching, Qt::QueuedConnection);
}

void AppDelegate::finishLaunching() {
    AppState::shared().boot();
    if (UserDefaults::boolValue("launchedOnce").value_or(false)) return;
    UserDefaults::set("launchedOnce", true);
    activate();
    NotificationCenter::defaultCenter().post(NotificationName::openSettings);
}

bool AppDelegate::applicationShouldHandleReopen(bool) {
    NotificationCenter::defaultCenter().post(NotificationName::openSettings);
    return true;
}

void AppDelegate::applicationWillTerminate() {
    MultitouchManager::shared().stopAll();
}

void AppDelegate::activate() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible()) window->requestActivate();
    }
}

}  // namespace tavix
